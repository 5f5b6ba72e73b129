#include "MainWindow.h"

#include "Cp1251.h"
#include "File_work.h"
#include "Globvars.h"
#include "Random.h"
#include "_OGL.h"
#include "_Pole.h"

bool quitRequested;
int32_t clickX;
int32_t clickY;

const char* const kWindowTitle = "Gemora  от Vardelin"_cp;

namespace {

constexpr int32_t kBoardMargin = 20;  // pixels from the client area's left and top edges
constexpr size_t kLongestName = 15;

bool IsNameKey(WPARAM key) { return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'); }

void OnCreate(HWND window) {
  SeedProgramRandom();
  StartOpenGL(window);
  NewGame();
  SetTimer(window, kGameTimer, kTickMilliseconds, nullptr);
}

void OnSize(LPARAM lParam) {
  windowHeight = HIWORD(lParam);
  windowWidth = LOWORD(lParam);
  ComputeGeometry();
  // The new size shows at the next tick.
  ResizeView();
}

void OnTimer(HWND window, WPARAM id) {
  if (id != kGameTimer) return;
  SetWindowTextA(window, CaptionText().c_str());
  BoardTick();
  DrawScreen();
}

void OnLeftButton(LPARAM lParam) {
  if (!boardAtRest || gameOver) return;
  clickX = LOWORD(lParam);
  clickY = HIWORD(lParam);
  int32_t x, y;
  if (CellAt(clickX, clickY, x, y)) ChooseCell(x, y);
}

void OnRightButton() {
  // The click's position does not matter, nor does the end of the game.
  if (boardAtRest && !swapPending) RotateBoard();
}

void OnKey(WPARAM wParam) {
  // While the board falls, no key counts, Escape included.
  if (!boardAtRest) return;
  const WPARAM key = LOWORD(wParam);
  if (key == VK_ESCAPE) quitRequested = true;

  if (!gameOver) {
    if (key == VK_RETURN) {
      gameOver = true;
      PlaceScore();
    }
    return;
  }

  // After the game: Enter saves the table, and on the leaders screen starts
  // the next game; digits and capital letters make up the name.
  if (key == VK_RETURN) {
    if (leadersSaved) {
      NewGame();
    } else {
      SaveLeaders();
    }
  }
  if (key == VK_BACK && !playerName.empty()) playerName.pop_back();
  if (IsNameKey(key) && playerName.size() < kLongestName) playerName += static_cast<char>(key);
}

void OnDestroy(HWND window) {
  KillTimer(window, kGameTimer);
  StopOpenGL(window);
  PostQuitMessage(0);
}

}  // namespace

std::string CaptionText() {
  return std::string(kWindowTitle) + "   " + IntToText(selection.firstKind) + "   " +
         IntToText(selection.secondKind);
}

bool CellAt(int32_t px, int32_t py, int32_t& x, int32_t& y) {
  const int32_t farEdge = 8 * cellPixels + kBoardMargin;
  if (!(px > kBoardMargin && px < farEdge && py > kBoardMargin && py < farEdge)) return false;
  // Inside the bounds cellPixels is at least 1, and both cells lie in 1..8.
  x = (px - kBoardMargin) / cellPixels + 1;
  y = (py - kBoardMargin) / cellPixels + 1;
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_SIZE:
      OnSize(lParam);
      return 0;
    case WM_TIMER:
      OnTimer(window, wParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftButton(lParam);
      return 0;
    case WM_RBUTTONDOWN:
      OnRightButton();
      return 0;
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
