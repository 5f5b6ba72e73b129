#include "MainUnit.h"

#include <windows.h>
// After windows.h, which they need on Windows.
#include <GL/gl.h>

#include <cstring>
#include <utility>

#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Geometry3D.h"
#include "MyUtils.h"
#include "Random.h"
#include "Textures.h"

Cell gemBoard[BoardCells];

// The homes must be the floats nearest to the decimal values; the Windows
// build does the same sums in SSE2 double precision.
static_assert(HomeCoordinate(0) == -0.7f && HomeCoordinate(1) == -0.5f && HomeCoordinate(2) == -0.3f &&
              HomeCoordinate(3) == -0.1f && HomeCoordinate(4) == 0.1f && HomeCoordinate(5) == 0.3f &&
              HomeCoordinate(6) == 0.5f && HomeCoordinate(7) == 0.7f);

namespace {

uint8_t RandomKind() { return static_cast<uint8_t>(ProgramRandom.Below(GemKinds)); }

// Draws kinds for (c, r) until one completes no run to the left or below.
// At most two kinds are ever excluded, so this ends quickly.
void DrawFittingKind(int c, int r) {
  Cell& cell = BoardCell(c, r);
  do {
    cell.kind = RandomKind();
  } while (!FitsWithoutRun(c, r));
}

bool SameKind(const Cell& a, const Cell& b, const Cell& d) { return a.kind == b.kind && b.kind == d.kind; }

void MarkThree(Cell& a, Cell& b, Cell& d) {
  a.state = Matched;
  b.state = Matched;
  d.state = Matched;
}

// Start height of the new gem that will fill the empty place (c, r): one
// pitch above the gem below when that one is on its way down (it sank or is
// new itself), otherwise one pitch above the top of the column. Row 0 has no
// cell below (the whole column was matched); its gem starts above the top
// like that of any column in which nothing sank, so the column's eight new
// gems start at 0.9, 1.1, ... 2.3.
float StartHeight(int c, int r) {
  if (r > 0) {
    const Cell& below = BoardCell(c, r - 1);
    if (below.y != HomeCoordinate(r - 1)) return static_cast<float>(below.y + 0.2);
  }
  return static_cast<float>(BoardCell(c, BoardSide - 1).y + 0.2);
}

}  // namespace

void FillBoard() {
  std::memset(gemBoard, 0, sizeof gemBoard);
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      cell.x = HomeCoordinate(c);
      cell.y = HomeCoordinate(r);
      DrawFittingKind(c, r);
    }
  }
}

bool FitsWithoutRun(int c, int r) {
  uint8_t k = BoardCell(c, r).kind;
  if (c >= 2 && BoardCell(c - 2, r).kind == k && BoardCell(c - 1, r).kind == k) return false;
  if (r >= 2 && BoardCell(c, r - 2).kind == k && BoardCell(c, r - 1).kind == k) return false;
  return true;
}

bool MarkRuns() {
  // Every three consecutive cells of a line are tested, so longer runs and
  // runs that cross or touch are marked whole by this one search.
  bool found = false;
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 2; r < BoardSide; ++r) {
      Cell &a = BoardCell(c, r - 2), &b = BoardCell(c, r - 1), &d = BoardCell(c, r);
      if (SameKind(a, b, d)) {
        MarkThree(a, b, d);
        found = true;
      }
    }
  }
  for (int c = 2; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell &a = BoardCell(c - 2, r), &b = BoardCell(c - 1, r), &d = BoardCell(c, r);
      if (SameKind(a, b, d)) {
        MarkThree(a, b, d);
        found = true;
      }
    }
  }
  return found;
}

void CollapseColumns() {
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      if (cell.state != Matched) continue;
      // The nearest gem above sinks into this place, keeping its height so
      // that it falls from where it was drawn.
      for (int k = r + 1; k < BoardSide; ++k) {
        Cell& above = BoardCell(c, k);
        if (above.state != Matched) {
          cell = above;
          above.state = Matched;
          break;
        }
      }
      if (cell.state == Matched) cell.y = StartHeight(c, r);
    }
  }
  RefillEmpty();
}

void RefillEmpty() {
  // Columns left to right, rows bottom to top: the cells that the new kind
  // is checked against already hold their final kinds.
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      if (cell.state != Matched) continue;
      cell.state = Normal;
      DrawFittingKind(c, r);
    }
  }
}

// ---------------------------------------------------------------------------
// Gem tiles

uint32_t gemTextures[GemKinds];

void SetGemColour(const Cell& cell) {
  const float g = cell.glow;
  const float lit = 0.5f + g;
  switch (cell.kind) {
    case 0:
      glColor3f(lit, 0.0f, g);
      break;
    case 1:
      glColor3f(0.0f, lit, g);
      break;
    case 2:
      glColor3f(0.0f, lit, lit);
      break;
    case 3:
      glColor3f(0.0f, g, lit);
      break;
    case 4:
      glColor3f(lit, 0.4f, lit);
      break;
    default:
      glColor3f(lit, lit, lit);
      break;
  }
}

void DrawGem(const Cell& cell) {
  const float x = cell.x;
  const float y = cell.y;
  // The face half width, the bevels' outer half width and their depth.
  const float in = 0.08f, out = 0.095f, back = -1.01f;
  glBindTexture(GL_TEXTURE_2D, gemTextures[cell.kind]);
  glBegin(GL_QUADS);
  // The face carries the picture.
  glNormal3f(0.0f, 0.0f, 1.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(x - in, y + in, -1.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(x - in, y - in, -1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(x + in, y - in, -1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(x + in, y + in, -1.0f);
  // The bevels keep the last texture coordinate, a key-colour corner of the
  // picture, so they show the tint. Their normals are left unnormalised on
  // purpose: the light then shades the four sides differently.
  glNormal3f(-0.5f, 0.0f, 0.5f);  // left
  glVertex3f(x - in, y - in, -1.0f);
  glVertex3f(x - in, y + in, -1.0f);
  glVertex3f(x - out, y + out, back);
  glVertex3f(x - out, y - out, back);
  glNormal3f(0.0f, -0.5f, 0.5f);  // bottom
  glVertex3f(x + in, y - in, -1.0f);
  glVertex3f(x - in, y - in, -1.0f);
  glVertex3f(x - out, y - out, back);
  glVertex3f(x + out, y - out, back);
  glNormal3f(0.5f, 0.0f, 0.5f);  // right
  glVertex3f(x + in, y + in, -1.0f);
  glVertex3f(x + in, y - in, -1.0f);
  glVertex3f(x + out, y - out, back);
  glVertex3f(x + out, y + out, back);
  glNormal3f(0.0f, 0.5f, 0.5f);  // top
  glVertex3f(x + in, y + in, -1.0f);
  glVertex3f(x - in, y + in, -1.0f);
  glVertex3f(x - out, y + out, back);
  glVertex3f(x + out, y + out, back);
  glEnd();
}

// ---------------------------------------------------------------------------
// Pointer, selection and animation

float cursorX = 0.0f;
float cursorY = 0.0f;
int32_t animState = Idle;
uint8_t pickState = NothingPicked;
Cell* firstCell = nullptr;
Cell* secondCell = nullptr;
float swapStepX = 0.0f;
float swapStepY = 0.0f;
float shrinkScale = 0.0f;
uint32_t tickNow = 0;
uint32_t tickPrev = 0;

namespace {

// A gem crosses the 0.2 pitch between two cells in this many milliseconds.
constexpr double kSwapTime = 400.0;
// The shrink's scale and the fall's height lose this much a millisecond.
constexpr double kShrinkPerMs = 0.005;
constexpr double kFallPerMs = 0.001;
constexpr double kGlowPerMs = 0.0015;
constexpr float kFullGlow = 0.5f;

// Milliseconds since the previous frame; the unsigned difference stays
// right when the counter wraps.
double Elapsed() { return static_cast<double>(static_cast<uint32_t>(tickNow - tickPrev)); }

// The pointer in scene units: the inverse of the fixed projection for
// points on the board's plane z = -1 (the window's left edge is -4/3, the
// right 4/3, the top 1, the bottom -1).
void MapPointer(int32_t x, int32_t y) {
  const double w = ViewportWidth;
  const double h = ViewportHeight;
  cursorX = static_cast<float>((x - w / 2) * 8 / 3 / w);
  cursorY = static_cast<float>((h / 2 - y) * 2 / h);
}

// Grid line i of the board, 0.2 * i - 0.8, rounded to a float the way the
// pointer is: a pixel that maps exactly onto a line between two cells is
// then over neither.
float GridLine(int i) { return static_cast<float>(0.2 * i - 0.8); }

// Whether the pointer is strictly inside the square of cell (c, r). The
// grid decides, not where the cell's gem happens to be drawn.
bool PointerOver(int c, int r) {
  return GridLine(c) < cursorX && cursorX < GridLine(c + 1) && GridLine(r) < cursorY &&
         cursorY < GridLine(r + 1);
}

void DrawSwappingGems() {
  glColor3f(1.0f, 1.0f, 1.0f);
  DrawGem(*firstCell);
  DrawGem(*secondCell);
}

}  // namespace

void HandleMouseMove(int32_t x, int32_t y) {
  MapPointer(x, y);
  // During an animation the pointer moves the cursor picture only.
  if (animState != Idle) return;
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      const bool over = PointerOver(c, r);
      if (over && cell.state == Normal) cell.state = Hovered;
      if (!over && cell.state == Hovered) cell.state = Normal;
    }
  }
}

void HandleMouseDown(int32_t x, int32_t y) {
  // Presses during an animation are lost, not queued; not even the cursor
  // follows them.
  if (animState != Idle) return;
  MapPointer(x, y);
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      if (!PointerOver(c, r)) continue;
      Cell& cell = BoardCell(c, r);
      if (cell.state == Normal || cell.state == Hovered) {
        PickCell(c, r);
      } else if (cell.state == Selected) {
        // The selection is withdrawn; the pointer is still on the cell.
        cell.state = Hovered;
        --pickState;
      }
      return;
    }
  }
}

void PickCell(int c, int r) {
  Cell& picked = BoardCell(c, r);
  if (pickState == NothingPicked) {
    picked.state = Selected;
    firstCell = &picked;
    pickState = OnePicked;
    return;
  }
  if (pickState != OnePicked) return;
  // A partner is the next cell left, right, above or below: the same row
  // or column exactly, and less than a pitch and a bit away.
  const float dx = picked.x - firstCell->x;
  const float dy = picked.y - firstCell->y;
  const bool besideInRow = AbsValue(dx) < 0.21f && dy == 0.0f;
  const bool besideInColumn = dx == 0.0f && AbsValue(dy) < 0.21f;
  if (!besideInRow && !besideInColumn) return;
  secondCell = &picked;
  pickState = SwapMoving;
  firstCell->state = Swapping;
  secondCell->state = Swapping;
  StartSwapMove();
}

void StartSwapMove() {
  animState = Swap;
  // Each cell's glow holds, for the time of the movement, the coordinate
  // at which its gem arrives: the partner's home.
  if (secondCell->y - firstCell->y == 0.0f) {
    secondCell->glow = firstCell->x;
    firstCell->glow = secondCell->x;
    swapStepY = 0.0f;
    swapStepX = static_cast<float>((secondCell->x - firstCell->x) / kSwapTime);
  } else {
    secondCell->glow = firstCell->y;
    firstCell->glow = secondCell->y;
    swapStepX = 0.0f;
    swapStepY = static_cast<float>((secondCell->y - firstCell->y) / kSwapTime);
  }
}

void AnimateSwap() {
  const double e = Elapsed();
  // Along the one axis of the movement: the first gem moves by the step,
  // the second against it, until they have passed each other by a pitch.
  float& firstPos = swapStepY == 0.0f ? firstCell->x : firstCell->y;
  float& secondPos = swapStepY == 0.0f ? secondCell->x : secondCell->y;
  const float step = swapStepY == 0.0f ? swapStepX : swapStepY;
  const double moved = e * step;
  firstPos = static_cast<float>(firstPos + moved);
  secondPos = static_cast<float>(secondPos - moved);
  const bool complete = (step < 0.0f && static_cast<double>(secondPos) - firstPos >= 0.2) ||
                        (step > 0.0f && static_cast<double>(firstPos) - secondPos >= 0.2);
  if (!complete) {
    DrawSwappingGems();
    return;
  }
  // Both cells back at their own homes; only the kinds change places.
  firstPos = secondCell->glow;
  secondPos = firstCell->glow;
  std::swap(firstCell->kind, secondCell->kind);
  firstCell->glow = 0.0f;
  secondCell->glow = 0.0f;

  if (MarkRuns()) {
    if (firstCell->state != Matched) firstCell->state = Normal;
    if (secondCell->state != Matched) secondCell->state = Normal;
    shrinkScale = 1.0f;
    animState = Shrink;
    pickState = NothingPicked;
    // The shrink, in this same frame, draws the matched gems.
    return;
  }
  if (pickState == SwapMoving) {
    // No run: the gems, their kinds now exchanged, move back.
    StartSwapMove();
    pickState = ReturnMoving;
  } else {
    animState = Idle;
    pickState = NothingPicked;
    firstCell->state = Normal;
    secondCell->state = Normal;
  }
  DrawSwappingGems();
}

void AnimateShrink() {
  shrinkScale = static_cast<float>(shrinkScale - Elapsed() * kShrinkPerMs);
  if (shrinkScale < 0.0f) {
    CollapseColumns();
    animState = Fall;
    return;
  }
  // Scaled about the scene's origin, each matched gem shrinks and slides
  // toward the middle of the board at once.
  float m[16];
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  MakeScaleMatrix(m, shrinkScale, shrinkScale, 1.0f);
  glLoadMatrixf(m);
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      const Cell& cell = BoardCell(c, r);
      if (cell.state != Matched) continue;
      SetGemColour(cell);
      DrawGem(cell);
    }
  }
  glPopMatrix();
}

void AnimateFall() {
  const double drop = Elapsed() * kFallPerMs;
  // A gem that passes below its home in one frame is put on it in the next.
  bool atRest = true;
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      const float home = HomeCoordinate(r);
      if (cell.y > home) {
        cell.y = static_cast<float>(cell.y - drop);
        atRest = false;
      } else {
        cell.y = home;
      }
    }
  }
  if (!atRest) return;
  // The new gems may have completed runs: the cascade goes on until a
  // search finds none.
  if (MarkRuns()) {
    shrinkScale = 1.0f;
    animState = Shrink;
  } else {
    animState = Idle;
  }
}

void UpdateHoverGlow(Cell& cell) {
  if (cell.state == Normal && cell.glow > 0.0f) {
    cell.glow = static_cast<float>(cell.glow - Elapsed() * kGlowPerMs);
    if (cell.glow < 0.0f) cell.glow = 0.0f;
  } else if (cell.state == Hovered && cell.glow < kFullGlow) {
    cell.glow = static_cast<float>(cell.glow + Elapsed() * kGlowPerMs);
    if (cell.glow > kFullGlow) cell.glow = kFullGlow;
  }
}

// ---------------------------------------------------------------------------
// Scene and frame

uint32_t arrowTexture = 0;
int32_t frameCount = 0;
uint32_t fpsTick = 0;

void SetupScene() {
  // A picture that fails to load leaves its name 0: the tiles of that kind
  // show their plain tint, a missing cursor a plain square.
  LoadTexture("arrow.bmp", arrowTexture);
  for (int n = 1; n <= static_cast<int>(GemKinds); ++n) {
    LoadTexture((NumToText(n) + ".bmp").c_str(), gemTextures[n - 1]);
  }

  FillBoard();

  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_TEXTURE_2D);
  // Only opaque texels pass: the cursor's key colour is cut out.
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_EQUAL, 1.0f);
  // A directional light from the upper left and front, given while the
  // model-view matrix is the identity.
  const GLfloat lightDirection[4] = {-0.2f, 0.5f, 1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
  glEnable(GL_COLOR_MATERIAL);
  glCullFace(GL_BACK);
  glShadeModel(GL_FLAT);
  glClearColor(1.0f, 1.0f, 1.0f, 0.0f);

  // The scene draws its own pointer.
  ShowCursor(FALSE);

  OnFrame = FrameTick;
  OnMouseMove = HandleMouseMove;
  OnMouseDown = HandleMouseDown;

  frameCount = 0;
  tickPrev = fpsTick = GetTickCount();
  pickState = NothingPicked;
  animState = Idle;
}

void FrameTick() {
  ++frameCount;
  tickNow = GetTickCount();
  // The report grid moves by whole seconds, so after a stall one report
  // follows per frame until it has caught up.
  if (static_cast<uint32_t>(tickNow - fpsTick) >= 1000) {
    fpsTick += 1000;
    SetCaption("FPS: " + NumToText(frameCount));
    frameCount = 0;
  }
  RenderFrame();
  tickPrev = tickNow;
}

void RenderFrame() {
  glClear(GL_COLOR_BUFFER_BIT);
  // Gem pictures replace the lit tint where they are opaque; their key
  // colour lets it show.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  DrawBoardRim();
  DrawBoardCells();
  // Each test reads the state as the step before left it, so a swap that
  // makes a run starts shrinking, and a shrink that ends starts falling, in
  // the same frame.
  if (animState == Swap) AnimateSwap();
  if (animState == Shrink) AnimateShrink();
  if (animState == Fall) AnimateFall();
  // The cursor picture's alpha decides what passes the alpha test.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  DrawCursor();
  SwapBuffers(DeviceContext);
}

void DrawBoardCells() {
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      switch (cell.state) {
        case Normal:
        case Hovered:
          UpdateHoverGlow(cell);
          SetGemColour(cell);
          DrawGem(cell);
          break;
        case Selected:
          glColor3f(1.0f, 1.0f, 0.0f);
          DrawGem(cell);
          break;
        default:
          // Swapping and Matched gems are the animations' to draw.
          break;
      }
    }
  }
}

void DrawBoardRim() {
  // A U open at the top: strips 0.05 wide on the left, bottom and right of
  // the playing area, with walls 0.05 deep on their inner side. New gems
  // fall in through the open top.
  glBegin(GL_QUADS);
  glColor3f(1.0f, 0.5f, 0.0f);
  glNormal3f(0.0f, 0.0f, 1.0f);  // left strip
  glVertex3f(-0.85f, 0.85f, -1.0f);
  glVertex3f(-0.8f, 0.85f, -1.0f);
  glVertex3f(-0.8f, -0.8f, -1.0f);
  glVertex3f(-0.85f, -0.85f, -1.0f);
  glNormal3f(0.0f, 0.0f, 1.0f);  // bottom strip
  glVertex3f(-0.85f, -0.85f, -1.0f);
  glVertex3f(-0.8f, -0.8f, -1.0f);
  glVertex3f(0.8f, -0.8f, -1.0f);
  glVertex3f(0.85f, -0.85f, -1.0f);
  glNormal3f(0.0f, 0.0f, 1.0f);  // right strip
  glVertex3f(0.8f, -0.8f, -1.0f);
  glVertex3f(0.85f, -0.85f, -1.0f);
  glVertex3f(0.85f, 0.85f, -1.0f);
  glVertex3f(0.8f, 0.85f, -1.0f);
  glNormal3f(0.85f, 0.0f, 0.0f);  // left inner wall
  glVertex3f(-0.8f, 0.85f, -1.0f);
  glVertex3f(-0.8f, -0.8f, -1.0f);
  glVertex3f(-0.8f, -0.8f, -1.05f);
  glVertex3f(-0.8f, 0.85f, -1.05f);
  glNormal3f(0.0f, 1.0f, 0.0f);  // bottom inner wall
  glVertex3f(-0.8f, -0.8f, -1.0f);
  glVertex3f(0.8f, -0.8f, -1.0f);
  glVertex3f(0.8f, -0.8f, -1.05f);
  glVertex3f(-0.8f, -0.8f, -1.05f);
  glNormal3f(-1.0f, 0.0f, 0.0f);  // right inner wall
  glVertex3f(0.8f, -0.8f, -1.0f);
  glVertex3f(0.8f, -0.8f, -1.05f);
  glVertex3f(0.8f, 0.85f, -1.05f);
  glVertex3f(0.8f, 0.85f, -1.0f);
  glEnd();
}

void DrawCursor() {
  // A 0.1 square whose top left corner is the pointer's hot spot.
  glBindTexture(GL_TEXTURE_2D, arrowTexture);
  glBegin(GL_QUADS);
  glColor3f(1.0f, 1.0f, 1.0f);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(cursorX, cursorY, -1.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(cursorX, cursorY - 0.1f, -1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(cursorX + 0.1f, cursorY - 0.1f, -1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(cursorX + 0.1f, cursorY, -1.0f);
  glEnd();
}
