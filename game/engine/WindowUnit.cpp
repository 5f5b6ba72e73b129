#include "WindowUnit.h"

#include "Cp1251.h"
#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Logger.h"

namespace {
const char* const kSource = "WindowUnit";
const char* const kClassName = "GameEng";
}  // namespace

int32_t LowHalf(LPARAM lParam) { return static_cast<int32_t>(lParam) % 65536; }

int32_t HighHalf(LPARAM lParam) { return static_cast<int32_t>(lParam) / 65536; }

HWND CreateGameWindow() {
  AppLog->WriteStatus("  Создание окна"_cp, kSource);

  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = GameWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = nullptr;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = "";
  windowClass.lpszClassName = kClassName;
  // A failed registration shows as a failed creation below.
  RegisterClassA(&windowClass);

  HWND window = CreateWindowExA(0, kClassName, "Game gfx engine", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) AppLog->WriteError("  Невозможно создать окно"_cp, kSource);
  return window;
}

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) ResizeViewport(LowHalf(lParam), HighHalf(lParam));
      break;
    case WM_CLOSE:
      AppLog->WriteStatus("Завершение работы игрового движка"_cp, kSource);
      ShutdownGameEngine();  // ends the process
    case WM_SYSCOMMAND:
      if (wParam == SC_MAXIMIZE) MessageBeep(0);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
