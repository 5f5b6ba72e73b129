// GameFrames.exe: Game's scene drawn through its own routines in chosen
// states, each frame saved from the window (see Frames.h) in the folder it
// runs in, which holds the game's pictures. The same board and the same
// moments on every build, so that the builds' frames can be compared.
#include <unistd.h>

#include "FloatControl.h"
#include "Frames.h"
#include "GameEngine.h"
#include "Logger.h"
#include "MainUnit.h"
#include "Random.h"
#include "WindowUnit.h"

namespace {

e2e::XSession* x;
e2e::WindowId window;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Two frames, the first `elapsed` milliseconds after the last, the second
// at the same moment, as every later frame would draw it.
void Frame(const char* name, uint32_t elapsed = 0) {
  Pump();
  tickNow = tickPrev + elapsed;
  RenderFrame();
  tickPrev = tickNow;
  RenderFrame();
  frames::Save(*x, window, name);
}

// The pixel of the middle of cell (c, r) in the window as created.
int PixelX(int c) { return static_cast<int>((HomeCoordinate(c) * 3 / 8 + 0.5) * 640); }
int PixelY(int r) { return static_cast<int>((0.5 - HomeCoordinate(r) / 2) * 480); }

// A board without runs, every kind in every row, every gem at home.
void FixedBoard() {
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r)
      BoardCell(c, r) =
          Cell{HomeCoordinate(c), HomeCoordinate(r), static_cast<uint8_t>((c + 2 * r) % 6), Normal, 0};
  animState = Idle;
  pickState = NothingPicked;
}

}  // namespace

int main() {
  using namespace std::chrono_literals;
  MaskFloatingPointExceptions();
  StartLogger();
  WindowHandle = CreateGameWindow();
  if (SetVideoMode(640, 480, 32, false) != 0) return 1;
  SetupScene();
  e2e::XSession session;
  x = &session;
  window = x->WaitForWindow(e2e::WindowQuery::Exact("Game gfx engine").OfPid(getpid()), 10s);

  // The pointer off the board.
  FixedBoard();
  tickPrev = 1000;
  HandleMouseMove(630, 470);
  Frame("rest");

  // A selected gem, and the pointer over another that has glowed for 200 ms.
  HandleMouseDown(PixelX(2), PixelY(3));
  HandleMouseMove(PixelX(5), PixelY(5) + 7);
  Frame("selected-and-hovered", 200);

  // A swap with the neighbour on the right, 150 ms on.
  HandleMouseDown(PixelX(3), PixelY(3));
  HandleMouseMove(PixelX(6), PixelY(1));
  Frame("swapping", 150);

  // A run of three in row 6 shrinking, halfway; then the fall of the
  // columns that lost it, new gems drawn from a fixed seed.
  FixedBoard();
  for (int c = 2; c <= 4; ++c) BoardCell(c, 6).kind = 4;
  MarkRuns();
  shrinkScale = 1.0f;
  animState = Shrink;
  Frame("shrinking", 100);
  ProgramRandom.Seed(21);
  Frame("falling", 150);

  // Another shape of window: the picture stretched.
  SetWindowPos(WindowHandle, HWND_TOP, 0, 0, 400, 520, 0);
  Frame("stretched");
  return 0;
}
