// The engine's window and rendering context brought up in this process
// under the test X server: the viewport and projection, and the scene set
// up in a folder that holds the game's pictures but for 3.bmp, chosen boards
// drawn and read back from the window.
#include <windows.h>
// After windows.h, which they need on Windows.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "App.h"
#include "BMPUnit.h"
#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Logger.h"
#include "MainUnit.h"
#include "SceneLook.h"
#include "Textures.h"
#include "WindowUnit.h"
#include "XSession.h"

namespace {

using namespace std::chrono_literals;
using e2e::Rgb;

constexpr int kMissingKind = 2;  // 3.bmp is not there
const Rgb kWhite{255, 255, 255};

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
    // The viewport covers the client area: scene points map onto window
    // pixels through the projection alone.
    EXPECT_EQ(x_.Geometry(window_).width, ViewportWidth);
    EXPECT_EQ(x_.Geometry(window_).height, ViewportHeight);
    RenderFrame();
    RenderFrame();
    glFinish();
    shown_ = x_.WaitForStableImage(window_, 150ms, 10s);
  }

  // For EXPECT_TRUE: the pixel of scene point (x, y) on the board's plane,
  // moved by (dx, dy), is within `tolerance` of `expected`.
  ::testing::AssertionResult Shows(double x, double y, Rgb expected, int dx = 0, int dy = 0,
                                   int tolerance = 3) const {
    const e2e::Point p = ScenePixel(x, y, ViewportWidth, ViewportHeight);
    return e2e::PixelIs(shown_, p.x + dx, p.y + dy, expected, tolerance);
  }

  e2e::XSession x_;
  e2e::WindowId window_ = 0;
  e2e::Image shown_;
};

TEST_F(Scene, TexturesHoldThePicturesAndAMissingOneLeavesItsNameAlone) {
  EXPECT_NE(arrowTexture, 0u);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(glIsTexture(gemTextures[k]) == GL_TRUE, k != kMissingKind) << k;
  EXPECT_EQ(gemTextures[kMissingKind], 0u);
  uint32_t name = 77;
  EXPECT_FALSE(LoadTexture("3.bmp", name));
  EXPECT_EQ(name, 77u);

  // The picture as loaded, its key colour transparent; the texture stays
  // bound.
  ASSERT_TRUE(LoadTexture("1.bmp", name));
  GLint bound = 0, width = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  ASSERT_EQ(width, 64);
  std::vector<uint8_t> texels(64 * 64 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_EQ(texels, LoadBmpImage("1.bmp").value().pixels);
  EXPECT_EQ(texels[3], 0);
}

TEST_F(Scene, TheOrangeRimLiesWhereTheProjectionPutsItsVerticesOnAWhiteBackground) {
  Show();
  const Rgb orange{Lit(1.0), Lit(0.5), 0};
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
  // The inner walls recede from the near plane; facing sideways, the left
  // one catches no light, the right one a little.
  EXPECT_TRUE(Shows(-0.785, 0.81, Rgb{Lit(1.0, 0.85, 0, 0), Lit(0.5, 0.85, 0, 0), 0}));
  EXPECT_TRUE(Shows(0.785, 0.81, Rgb{Lit(1.0, -1, 0, 0), Lit(0.5, -1, 0, 0), 0}));
}

TEST_F(Scene, EachKindShowsItsTintAroundItsPictureAndTheGlowBrightensIt) {
  for (int c = 0; c < BoardSide; ++c) BoardCell(c, 7).glow = 0.5f;
  Show();
  for (const Cell& cell : gemBoard) {
    const Rgb tint = LitTint(cell.kind, cell.glow);
    // The picture's key-colour corner shows the tint, its middle the stone,
    // unless the kind has no picture.
    EXPECT_TRUE(Shows(cell.x - 0.07, cell.y + 0.07, tint)) << cell.x << "," << cell.y;
    EXPECT_EQ(static_cast<bool>(Shows(cell.x, cell.y, tint, 0, 0, 12)), cell.kind == kMissingKind)
        << cell.x << "," << cell.y;
  }
  // The four bevels of a grey gem, their normals unequal, each take the
  // light their own way.
  const Cell& grey = BoardCell(5, 0);
  auto level = [](uint8_t v) { return Rgb{v, v, v}; };
  EXPECT_TRUE(Shows(grey.x, grey.y + 0.0875, level(Lit(0.5, 0, 0.5, 0.5)), 0, 0, 4));
  EXPECT_TRUE(Shows(grey.x - 0.0875, grey.y, level(Lit(0.5, -0.5, 0, 0.5)), 0, 0, 4));
  EXPECT_TRUE(Shows(grey.x + 0.0875, grey.y, level(Lit(0.5, 0.5, 0, 0.5)), 0, 0, 4));
  EXPECT_TRUE(Shows(grey.x, grey.y - 0.0875, level(Lit(0.5, 0, -0.5, 0.5)), 0, 0, 4));
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
  EXPECT_TRUE(Shows(0.35 - 0.035, 0.35 + 0.035, LitTint(BoardCell(7, 7).kind, 0)));
  EXPECT_TRUE(Shows(0.3 - 0.07, 0.3 + 0.07, LitTint(BoardCell(5, 5).kind, 0)));
  EXPECT_TRUE(Shows(0.7 - 0.07, 0.7 + 0.07, kWhite));
}

TEST_F(Scene, TheCursorPictureSitsAtThePointerWithItsKeyColourCutOut) {
  // Over the plain face of a gem whose kind has no picture.
  Cell& plain = BoardCell(4, 4);
  plain.kind = kMissingKind;
  const Rgb tint = LitTint(kMissingKind, 0);
  cursorX = plain.x - 0.07f;
  cursorY = plain.y + 0.07f;
  Show();
  // The tip at the hot spot, the white body below it, the tint all round.
  EXPECT_FALSE(Shows(cursorX + 0.006, cursorY - 0.012, tint, 0, 0, 12));
  EXPECT_TRUE(Shows(cursorX + 0.012, cursorY - 0.04, kWhite));
  EXPECT_TRUE(Shows(cursorX + 0.006, cursorY - 0.094, tint));
  EXPECT_TRUE(Shows(cursorX + 0.08, cursorY - 0.02, tint));
}

TEST_F(Scene, AnyViewportSizeGetsTheFixedFrustumAndAHeightOfZeroCountsAsOne) {
  // Whatever state the scene left, the call resets both matrices and leaves
  // the model-view one current. The last size is the window's again.
  for (auto [width, height] : {std::pair{300, 0}, {300, 700}, {640, 480}}) {
    glMatrixMode(GL_PROJECTION);
    glTranslatef(1.0f, 2.0f, 3.0f);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glMatrixMode(GL_TEXTURE);

    ResizeViewport(width, height);

    const int shownHeight = height == 0 ? 1 : height;
    EXPECT_EQ(ViewportWidth, width);
    EXPECT_EQ(ViewportHeight, shownHeight);
    GLint viewport[4] = {}, mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, width, shownHeight}));
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat projection[16], modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    // glFrustum(-4/3, 4/3, -1, 1, 1, 100), column by column.
    const GLfloat expected[16] = {0.75f,           0, 0, 0, 0, 1, 0, 0, 0, 0, -101.0f / 99.0f, -1, 0, 0,
                                  -200.0f / 99.0f, 0};
    for (int i = 0; i < 16; ++i) {
      EXPECT_FLOAT_EQ(projection[i], expected[i]) << "projection element " << i;
      EXPECT_FLOAT_EQ(modelView[i], i % 5 == 0 ? 1.0f : 0.0f) << "model-view element " << i;
    }
  }
}

}  // namespace
