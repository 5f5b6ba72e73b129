// The engine's window and rendering context brought up in this process
// under the test X server, and the scene set up in a folder that holds the
// game's pictures but for 3.bmp: chosen boards drawn and read back from the
// window, against the picture files read here by themselves.
#include <windows.h>
// After windows.h, which it needs on Windows.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>

#include "App.h"
#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Logger.h"
#include "MainUnit.h"
#include "SceneLook.h"
#include "TestSupport.h"
#include "WindowUnit.h"
#include "XSession.h"

namespace {

using namespace std::chrono_literals;
using e2e::Rgb;

constexpr int kMissingKind = 2;  // 3.bmp is not there
const Rgb kWhite{255, 255, 255};

// The colour of pixel (x, y), counted from the top left, of a 24-bit
// bottom-up picture file.
Rgb PictureColour(const std::string& file, int x, int y) {
  const std::string bmp = testsupport::ReadBytes(file);
  auto field = [&](int offset) {
    int32_t value;
    std::memcpy(&value, bmp.data() + offset, 4);
    return value;
  };
  const int width = field(18), height = field(22);
  const auto* p = reinterpret_cast<const uint8_t*>(bmp.data()) + field(10) +
                  (height - 1 - y) * ((width * 3 + 3) & ~3) + x * 3;
  return {p[2], p[1], p[0]};
}

class Scene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static e2e::App folder(GAME_DIST, "Game.exe");
    folder.RemoveFile("3.bmp");
    ASSERT_EQ(chdir(folder.Folder().c_str()), 0);
    StartLogger();
    WindowHandle = CreateGameWindow();
    ASSERT_EQ(SetVideoMode(640, 480, 32, false), 0);
    SetupScene();
  }

  void SetUp() override {
    window_ = x_.WaitForWindow(e2e::WindowQuery::Exact("Game gfx engine").OfPid(getpid()), 10s);
    // A board at rest of kinds (c + r) mod 6; the cursor off the board.
    for (int c = 0; c < BoardSide; ++c)
      for (int r = 0; r < BoardSide; ++r)
        BoardCell(c, r) =
            Cell{HomeCoordinate(c), HomeCoordinate(r), static_cast<uint8_t>((c + r) % 6), Normal, 0};
    animState = Idle;
    cursorX = 1.2f;
    cursorY = -0.85f;
    tickPrev = tickNow = 1000;
  }

  // Two frames without elapsed time, the second drawn as every later one
  // is, then what the window shows. The window's messages (its size among
  // them) reach the window procedure first.
  void Show() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    RenderFrame();
    RenderFrame();
    glFinish();
    shown_ = x_.WaitForStableImage(window_, 150ms, 10s);
  }

  // For EXPECT_TRUE: the pixel of scene point (x, y) on the board's plane,
  // moved by (dx, dy), is within `tolerance` of `expected`. Scene points
  // map onto the window through the fixed projection stretched over it.
  ::testing::AssertionResult Shows(double x, double y, Rgb expected, int dx = 0, int dy = 0,
                                   int tolerance = 3) const {
    const e2e::Point p = ScenePixel(x, y, shown_.Width(), shown_.Height());
    return e2e::PixelIs(shown_, p.x + dx, p.y + dy, expected, tolerance);
  }

  e2e::XSession x_;
  e2e::WindowId window_ = 0;
  e2e::Image shown_;
};

TEST_F(Scene, TheOrangeRimLiesWhereTheProjectionPutsItsVerticesAtAnyWindowSize) {
  const Rgb orange{255, 138, 0};
  // The window as created, then stretched to another shape.
  for (auto [width, height] : {std::pair{640, 480}, {400, 520}}) {
    SetWindowPos(WindowHandle, HWND_TOP, 0, 0, width, height, 0);
    Show();
    ASSERT_EQ(shown_.Width(), width);
    EXPECT_TRUE(e2e::PixelIs(shown_, 3, 3, kWhite, 3));
    // Each outer corner of the U: rim just inside, white outside and above
    // or below.
    for (double sx : {-0.85, 0.85}) {
      for (double sy : {-0.85, 0.85}) {
        const int dx = sx < 0 ? 1 : -1, dy = sy < 0 ? -1 : 1;
        EXPECT_TRUE(Shows(sx, sy, orange, 2 * dx, 2 * dy)) << sx << "," << sy;
        EXPECT_TRUE(Shows(sx, sy, kWhite, -3 * dx, -3 * dy)) << sx << "," << sy;
        EXPECT_TRUE(Shows(sx, sy, kWhite, 2 * dx, -3 * dy)) << sx << "," << sy;
      }
    }
    // The strips' inner edges 0.8 from the middle; the top open.
    EXPECT_TRUE(Shows(-0.8, 0.3, orange, -2, 0));
    EXPECT_TRUE(Shows(0.8, 0.3, orange, 2, 0));
    EXPECT_TRUE(Shows(0.3, -0.8, orange, 0, 2));
    EXPECT_TRUE(Shows(0.0, 0.83, kWhite));
  }
  // The inner walls recede from the near plane; facing sideways, the left
  // one catches no light but the ambient 0.2, the right one 0.18 more.
  EXPECT_TRUE(Shows(-0.785, 0.81, Rgb{51, 26, 0}));
  EXPECT_TRUE(Shows(0.785, 0.81, Rgb{96, 48, 0}));
  SetWindowPos(WindowHandle, HWND_TOP, 0, 0, 640, 480, 0);
}

TEST_F(Scene, EachKindShowsItsPictureOverItsTintAndTheGlowBrightensTheTint) {
  for (int c = 0; c < BoardSide; ++c) BoardCell(c, 7).glow = 0.5f;
  Show();
  for (const Cell& cell : gemBoard) {
    const Rgb tint = LitTint(cell.kind, cell.glow > 0);
    // The picture's key-colour corner shows the tint; its middle the
    // stone's flat top as the file has it, or the tint without a picture.
    const Rgb middle =
        cell.kind == kMissingKind ? tint : PictureColour(std::to_string(cell.kind + 1) + ".bmp", 32, 32);
    EXPECT_TRUE(Shows(cell.x - 0.07, cell.y + 0.07, tint)) << cell.x << "," << cell.y;
    EXPECT_TRUE(Shows(cell.x, cell.y, middle, 0, 0, 8)) << cell.x << "," << cell.y;
  }
  // The four bevels of a grey gem, their normals unequal, each take the
  // light their own way: the top one most, then the left, the right and
  // the bottom one.
  const Cell& grey = BoardCell(5, 0);
  auto level = [](uint8_t v) { return Rgb{v, v, v}; };
  EXPECT_TRUE(Shows(grey.x, grey.y + 0.0875, level(110), 0, 0, 4));
  EXPECT_TRUE(Shows(grey.x - 0.0875, grey.y, level(93), 0, 0, 4));
  EXPECT_TRUE(Shows(grey.x + 0.0875, grey.y, level(70), 0, 0, 4));
  EXPECT_TRUE(Shows(grey.x, grey.y - 0.0875, level(54), 0, 0, 4));
}

TEST_F(Scene, SelectedSwappingAndShrinkingGemsHaveTheirOwnLook) {
  BoardCell(2, 2).state = Selected;
  // Halfway through a swap along row 5: both gems over the line between
  // their cells.
  firstCell = &BoardCell(3, 5);
  secondCell = &BoardCell(4, 5);
  firstCell->state = secondCell->state = Swapping;
  StartSwapMove();
  firstCell->x = secondCell->x = 0.0f;
  BoardCell(7, 7).state = Matched;
  Show();
  EXPECT_TRUE(Shows(HomeCoordinate(2) - 0.07, HomeCoordinate(2) + 0.07, Rgb{255, 255, 0}));
  EXPECT_TRUE(Shows(-0.07, HomeCoordinate(5) + 0.07, kWhite));
  EXPECT_TRUE(Shows(HomeCoordinate(3) - 0.05, HomeCoordinate(5), kWhite));  // left behind

  // The matched gem of (7, 7) at half size drawn halfway to the middle,
  // over the resting gem of (5, 5); its own place empty.
  animState = Shrink;
  shrinkScale = 0.5f;
  Show();
  EXPECT_TRUE(Shows(0.35 - 0.035, 0.35 + 0.035, LitTint(BoardCell(7, 7).kind)));
  EXPECT_TRUE(Shows(0.3 - 0.07, 0.3 + 0.07, LitTint(BoardCell(5, 5).kind)));
  EXPECT_TRUE(Shows(0.7 - 0.07, 0.7 + 0.07, kWhite));
}

TEST_F(Scene, TheCursorPictureSitsAtThePointerWithItsKeyColourCutOut) {
  // Over the plain face of a gem whose kind has no picture.
  Cell& plain = BoardCell(4, 4);
  plain.kind = kMissingKind;
  const Rgb tint = LitTint(kMissingKind);
  cursorX = plain.x - 0.07f;
  cursorY = plain.y + 0.07f;
  Show();
  // The 32-pixel picture covers 0.1 of the scene from the hot spot down and
  // right: its white body, its dark outline, and the tint all round.
  auto picture = [&](int x, int y) { return PictureColour("arrow.bmp", x, y); };
  EXPECT_TRUE(Shows(cursorX + 0.012, cursorY - 0.04, picture(4, 13)));
  EXPECT_TRUE(Shows(cursorX + 0.045, cursorY - 0.054, picture(14, 17), 0, 0, 8));
  EXPECT_TRUE(Shows(cursorX + 0.006, cursorY - 0.094, tint));
  EXPECT_TRUE(Shows(cursorX + 0.08, cursorY - 0.02, tint));
}

}  // namespace
