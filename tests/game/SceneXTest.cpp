// The scene on a real rendering context under the test X server: the
// engine's window brought up in this process, the scene set up in a folder
// that holds the game's pictures but for 3.bmp, chosen boards drawn and
// read back from the window.
#include <windows.h>
// After windows.h, which they need on Windows.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "BMPUnit.h"
#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Logger.h"
#include "MainUnit.h"
#include "TestFiles.h"
#include "Textures.h"
#include "WindowUnit.h"
#include "XSession.h"

namespace {

using namespace std::chrono_literals;
using e2e::Rgb;

constexpr int kMissingKind = 2;  // 3.bmp is not there
const Rgb kWhite{255, 255, 255};

// What the fixed light makes of a grey level on a surface with normal n:
// the global ambient 0.2 plus the diffuse light from (-0.2, 0.5, 1).
uint8_t Lit(double level, double nx = 0, double ny = 0, double nz = 1) {
  const double diffuse = std::max(0.0, (-0.2 * nx + 0.5 * ny + nz) / std::sqrt(1.29));
  return static_cast<uint8_t>(std::lround(std::min(1.0, level * (0.2 + diffuse)) * 255));
}

Rgb LitTint(int kind, double g) {
  const double c = 0.5 + g;
  const double tints[6][3] = {{c, 0, g}, {0, c, g}, {0, c, c}, {0, g, c}, {c, 0.4, c}, {c, c, c}};
  return {Lit(tints[kind][0]), Lit(tints[kind][1]), Lit(tints[kind][2])};
}

::testing::AssertionResult Looks(Rgb actual, Rgb expected, int tolerance = 3) {
  if (e2e::Near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " where " << expected << " was expected";
}

class Scene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static enginetest::ScratchDir folder;
    for (const char* name : {"1.bmp", "2.bmp", "4.bmp", "5.bmp", "6.bmp", "arrow.bmp"})
      std::filesystem::copy_file(std::filesystem::path(GAME_DIST) / name, folder / name);
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
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
  // is, and what the window then shows. The window's messages (its size
  // among them) reach the window procedure first.
  e2e::Image Show() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    // The viewport covers the client area: scene points map onto window
    // pixels through the projection alone.
    EXPECT_EQ(x_.Geometry(window_).width, ViewportWidth);
    EXPECT_EQ(x_.Geometry(window_).height, ViewportHeight);
    RenderFrame();
    RenderFrame();
    glFinish();
    return x_.WaitForStableImage(window_, 150ms, 10s);
  }

  // The pixel of scene point (x, y) on the board's plane, moved by (dx, dy).
  Rgb At(const e2e::Image& image, double x, double y, int dx = 0, int dy = 0) const {
    return image.At(static_cast<int>(std::floor((x * 3 / 8 + 0.5) * ViewportWidth)) + dx,
                    static_cast<int>(std::floor((0.5 - y / 2) * ViewportHeight)) + dy);
  }

  e2e::XSession x_;
  e2e::WindowId window_ = 0;
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
  e2e::Image shown = Show();
  const Rgb orange{Lit(1.0), Lit(0.5), 0};
  EXPECT_TRUE(Looks(shown.At(3, 3), kWhite));
  // Each outer corner of the U: rim just inside, white outside and above
  // or below.
  for (double sx : {-0.85, 0.85}) {
    for (double sy : {-0.85, 0.85}) {
      const int dx = sx < 0 ? 1 : -1, dy = sy < 0 ? -1 : 1;
      EXPECT_TRUE(Looks(At(shown, sx, sy, 2 * dx, 2 * dy), orange)) << sx << "," << sy;
      EXPECT_TRUE(Looks(At(shown, sx, sy, -3 * dx, -3 * dy), kWhite)) << sx << "," << sy;
      EXPECT_TRUE(Looks(At(shown, sx, sy, 2 * dx, -3 * dy), kWhite)) << sx << "," << sy;
    }
  }
  // The strips' inner edges 0.8 from the middle; the top open.
  EXPECT_TRUE(Looks(At(shown, -0.8, 0.3, -2, 0), orange));
  EXPECT_TRUE(Looks(At(shown, 0.8, 0.3, 2, 0), orange));
  EXPECT_TRUE(Looks(At(shown, 0.3, -0.8, 0, 2), orange));
  EXPECT_TRUE(Looks(At(shown, 0.0, 0.83), kWhite));
  // The inner walls recede from the near plane; facing sideways, the left
  // one catches no light, the right one a little.
  EXPECT_TRUE(Looks(At(shown, -0.785, 0.81), Rgb{Lit(1.0, 0.85, 0, 0), Lit(0.5, 0.85, 0, 0), 0}));
  EXPECT_TRUE(Looks(At(shown, 0.785, 0.81), Rgb{Lit(1.0, -1, 0, 0), Lit(0.5, -1, 0, 0), 0}));
}

TEST_F(Scene, EachKindShowsItsTintAroundItsPictureAndTheGlowBrightensIt) {
  for (int c = 0; c < BoardSide; ++c) BoardCell(c, 7).glow = 0.5f;
  e2e::Image shown = Show();
  for (const Cell& cell : gemBoard) {
    const Rgb tint = LitTint(cell.kind, cell.glow);
    // The picture's key-colour corner shows the tint, its middle the stone,
    // unless the kind has no picture.
    EXPECT_TRUE(Looks(At(shown, cell.x - 0.07, cell.y + 0.07), tint)) << cell.x << "," << cell.y;
    EXPECT_EQ(static_cast<bool>(Looks(At(shown, cell.x, cell.y), tint, 12)), cell.kind == kMissingKind)
        << cell.x << "," << cell.y;
  }
  // The four bevels of a grey gem, their normals unequal, each take the
  // light their own way.
  const Cell& grey = BoardCell(5, 0);
  auto level = [](uint8_t v) { return Rgb{v, v, v}; };
  EXPECT_TRUE(Looks(At(shown, grey.x, grey.y + 0.0875), level(Lit(0.5, 0, 0.5, 0.5)), 4));
  EXPECT_TRUE(Looks(At(shown, grey.x - 0.0875, grey.y), level(Lit(0.5, -0.5, 0, 0.5)), 4));
  EXPECT_TRUE(Looks(At(shown, grey.x + 0.0875, grey.y), level(Lit(0.5, 0.5, 0, 0.5)), 4));
  EXPECT_TRUE(Looks(At(shown, grey.x, grey.y - 0.0875), level(Lit(0.5, 0, -0.5, 0.5)), 4));
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
  e2e::Image swapping = Show();
  EXPECT_TRUE(Looks(At(swapping, HomeCoordinate(2) - 0.07, HomeCoordinate(2) + 0.07), Rgb{255, 255, 0}));
  EXPECT_TRUE(Looks(At(swapping, -0.07, HomeCoordinate(5) + 0.07), kWhite));
  EXPECT_TRUE(Looks(At(swapping, HomeCoordinate(3) - 0.05, HomeCoordinate(5)), kWhite));  // left behind

  // The matched gem of (7, 7) at half size drawn halfway to the middle,
  // over the resting gem of (5, 5); its own place empty.
  animState = Shrink;
  shrinkScale = 0.5f;
  e2e::Image shrinking = Show();
  EXPECT_TRUE(Looks(At(shrinking, 0.35 - 0.035, 0.35 + 0.035), LitTint(BoardCell(7, 7).kind, 0)));
  EXPECT_TRUE(Looks(At(shrinking, 0.3 - 0.07, 0.3 + 0.07), LitTint(BoardCell(5, 5).kind, 0)));
  EXPECT_TRUE(Looks(At(shrinking, 0.7 - 0.07, 0.7 + 0.07), kWhite));
}

TEST_F(Scene, TheCursorPictureSitsAtThePointerWithItsKeyColourCutOut) {
  // Over the plain face of a gem whose kind has no picture.
  Cell& plain = BoardCell(4, 4);
  plain.kind = kMissingKind;
  const Rgb tint = LitTint(kMissingKind, 0);
  cursorX = plain.x - 0.07f;
  cursorY = plain.y + 0.07f;
  e2e::Image shown = Show();
  // The tip at the hot spot, the white body below it, the tint all round.
  EXPECT_FALSE(Looks(At(shown, cursorX + 0.006, cursorY - 0.012), tint, 12));
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.012, cursorY - 0.04), kWhite));
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.006, cursorY - 0.094), tint));
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.08, cursorY - 0.02), tint));
  // Most of the square is cut out; the rest is the arrow's white, black and
  // the greys between.
  int cut = 0, other = 0;
  for (int dy = 1; dy < 23; ++dy) {
    for (int dx = 1; dx < 23; ++dx) {
      Rgb p = At(shown, cursorX, cursorY, dx, dy);
      cut += e2e::Near(p, tint, 3);
      other += !e2e::Near(p, tint, 3) && (std::abs(p.r - p.g) > 3 || std::abs(p.g - p.b) > 3);
    }
  }
  EXPECT_GT(cut, 22 * 22 / 2);
  EXPECT_EQ(other, 0);
}

}  // namespace
