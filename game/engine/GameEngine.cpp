#include "GameEngine.h"

#include "Cp1251.h"
#include "Game3DEngine.h"
#include "Logger.h"
#include "MyIniFiles.h"
#include "MyUtils.h"
#include "ProgramUnits.h"
#include "Random.h"
#include "WindowUnit.h"

TFrameRoutine OnFrame = nullptr;
TKeyRoutine OnKeyDown = nullptr;
TMouseRoutine OnMouseMove = nullptr;
TMouseRoutine OnMouseDown = nullptr;

int32_t Width = 0;
int32_t Height = 0;
int32_t BitsPerPixel = 0;
bool FullScreen = false;

HWND WindowHandle = nullptr;

namespace {

const char* const kSource = "GameEngine";
// A blank line between the stages of start-up and shutdown.
const std::string kSeparatorMessage(50, ' ');

void Status(const char* message) { AppLog->WriteStatus(message, kSource); }

}  // namespace

void ClearRoutineSlots() {
  OnFrame = nullptr;
  OnKeyDown = nullptr;
  OnMouseMove = nullptr;
  OnMouseDown = nullptr;
}

int32_t InitGameEngine() {
  Status("Инициализация генератора случайных чисел"_cp);
  SeedProgramRandom();

  Status("Загрузка настроек из файла"_cp);
  LoadSettings();

  AppLog->WriteStatus(kSeparatorMessage, "");
  Status("Инициализация игрового движка"_cp);

  WindowHandle = CreateGameWindow();
  if (WindowHandle == nullptr) {
    AppLog->WriteError("  Не возможно создание окна"_cp, kSource);
    return -1;
  }

  if (SetVideoMode(Width, Height, BitsPerPixel, FullScreen) != 0) {
    AppLog->WriteError("  Невозможно переключить видеорежим"_cp, "Game");
    ShutdownGameEngine();
  }
  return 0;
}

void LoadSettings() {
  TMyIniFile settings(ChangeFileExtension(ProgramPath(), ".INI"));
  Width = settings.ReadInteger("Options", "Width", 640);
  Height = settings.ReadInteger("Options", "Height", 480);
  BitsPerPixel = settings.ReadInteger("Options", "BitsPerPixel", 32);
  FullScreen = settings.ReadInteger("Options", "FullScreen", 0) != 0;
}

int32_t SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, bool fullScreen) {
  Status("  Переключение видеорежима"_cp);
  AppLog->WriteStatus(kSeparatorMessage, "");
  std::string modeLine = "Устанавливаем "_cp;
  modeLine += fullScreen ? "полноэкранный "_cp : "оконный "_cp;
  modeLine += "видеорежим "_cp;
  modeLine += NumToText(width) + "x" + NumToText(height) + "x" + NumToText(bitsPerPixel);
  AppLog->WriteStatus(modeLine, kSource);

  // In full screen the window is a bare popup; otherwise it keeps its
  // frame, and width and height are its outer size.
  if (fullScreen) SetWindowLongA(WindowHandle, GWL_STYLE, static_cast<LONG>(WS_POPUP));

  Status("  Позиционирование окна и изменение его размера"_cp);
  SetWindowPos(WindowHandle, HWND_TOP, 0, 0, width, height, SWP_NOREDRAW);

  Status("  Вывод окна"_cp);
  ShowWindow(WindowHandle, SW_SHOW);

  Status("  Инициализация OpenGL"_cp);
  if (InitOpenGL(width, height, bitsPerPixel, fullScreen) != 0) return -1;

  UpdateWindow(WindowHandle);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  return 0;
}

void ShutdownGameEngine() {
  AppLog->WriteStatus(kSeparatorMessage, "");
  Status("Завершение работы игрового движка"_cp);
  RestoreDisplayMode();
  Status("  Уничтожение окна"_cp);
  // The window procedure posts a quit message while the window goes; the
  // process ends before anything could read it.
  DestroyWindow(WindowHandle);
  FinalizeUnits();
  ExitProcess(0);
}

void SetCaption(const std::string& text) { SetWindowTextA(WindowHandle, text.c_str()); }

void RunMessageLoop() {
  MSG msg;
  for (;;) {
    // Only the engine window's messages are taken; the quit message, which
    // has no window, stays in the queue.
    if (!PeekMessageA(&msg, WindowHandle, 0, 0, PM_REMOVE)) {
      if (OnFrame != nullptr) OnFrame();
      continue;
    }
    switch (msg.message) {
      case WM_KEYDOWN:
        // Never translated, so no WM_CHAR follows.
        if (OnKeyDown != nullptr) OnKeyDown(static_cast<int32_t>(msg.wParam));
        break;
      case WM_MOUSEMOVE:
        if (OnMouseMove != nullptr) OnMouseMove(LowHalf(msg.lParam), HighHalf(msg.lParam));
        break;
      case WM_LBUTTONDOWN:
        if (OnMouseDown != nullptr) OnMouseDown(LowHalf(msg.lParam), HighHalf(msg.lParam));
        break;
      default:
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        break;
    }
  }
}
