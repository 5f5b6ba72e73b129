// TesselFrames.exe: Tessel's screen drawn through its own window procedure
// and DrawScreen in chosen states, each frame saved from the window (see
// Frames.h) in the folder it runs in, which holds a leaders table. The same
// board and the same texts on every build, so that the builds' frames can
// be compared.
#include <windows.h>
#include <unistd.h>

#include "FloatControl.h"
#include "Frames.h"
#include "Globvars.h"
#include "MainWindow.h"
#include "_OGL.h"

int main() {
  using namespace std::chrono_literals;
  MaskFloatingPointExceptions();
  // The window as Tessel makes it; its creation starts OpenGL and a game.
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kWindowTitle;
  if (RegisterClassExA(&windowClass) == 0) return 1;
  HWND window = CreateWindowExA(0, kWindowTitle, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, windowWidth,
                                windowHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOW);
  e2e::XSession x;
  const e2e::WindowId w = x.WaitForWindow(e2e::WindowQuery::Prefix("Gemora").OfPid(getpid()), 10s);

  // Every message but the game's ticks, which would move the board.
  auto frame = [&](const char* name) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      if (msg.message != WM_TIMER) DispatchMessageA(&msg);
    DrawScreen();
    frames::Save(x, w, name);
  };

  for (int c = 1; c <= 8; ++c)
    for (int r = 1; r <= 8; ++r) board[c][r] = (3 * c + 5 * r) % 9 + 1;
  board[4][6] = 0;  // an empty place
  score = 1234;
  lastPoints = 36;
  frame("board");

  gemSelected = true;
  selection.firstX = 3;
  selection.firstY = 5;
  frame("chosen");

  gemSelected = false;
  score = -500;
  lastPoints = -500;
  frame("penalty");

  gameOver = true;
  leaderPlace = 3;
  playerName = "TESTER";
  frame("name");

  leaderPlace = 11;
  frame("sorry");

  leadersSaved = true;
  for (int place = 1; place <= kLeadersShown; ++place)
    leaders[place] = {10000 / place - 7, " NAME" + std::to_string(place) + (place % 3 ? " x" : " \xc9!")};
  frame("leaders");

  // Another size: the board follows it, the texts keep their places.
  leadersSaved = gameOver = false;
  gemSelected = true;
  SetWindowPos(window, HWND_TOP, 0, 0, 420, 380, 0);
  frame("resized");
  return 0;
}
