// The scene on a real rendering context under the test X server: the
// engine's window brought up in this process, the scene set up in a folder
// that holds the game's pictures but for 3.bmp, chosen boards drawn one
// frame at a time, and what the window shows read back from the server.
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
#include "Textures.h"
#include "TestFiles.h"
#include "WindowUnit.h"
#include "XSession.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::Rgb;

// Kind 2 has no picture in the test's folder.
constexpr int kMissingKind = 2;

// What the fixed light makes of a colour channel on a face that looks at
// the viewer: the global ambient 0.2 plus the diffuse light from the
// direction (-0.2, 0.5, 1), clamped.
uint8_t Lit(double channel, double nz = 1.0, double ny = 0.0, double nx = 0.0) {
  const double diffuse = std::max(0.0, (-0.2 * nx + 0.5 * ny + 1.0 * nz) / std::sqrt(1.29));
  return static_cast<uint8_t>(std::lround(std::min(1.0, channel * (0.2 + diffuse)) * 255));
}

Rgb LitTint(int kind, double g) {
  const double c = 0.5 + g;
  const double tints[6][3] = {{c, 0, g}, {0, c, g}, {0, c, c}, {0, g, c}, {c, 0.4, c}, {c, c, c}};
  return {Lit(tints[kind][0]), Lit(tints[kind][1]), Lit(tints[kind][2])};
}

const Rgb kWhite{255, 255, 255};

class Scene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new enginetest::ScratchDir;
    for (const char* name : {"1.bmp", "2.bmp", "4.bmp", "5.bmp", "6.bmp", "arrow.bmp"})
      fs::copy_file(fs::path(GAME_DIST) / name, folder_->Path() / name);
    ASSERT_EQ(chdir(folder_->Path().c_str()), 0);
    StartLogger();
    WindowHandle = CreateGameWindow();
    ASSERT_NE(WindowHandle, nullptr);
    ASSERT_EQ(SetVideoMode(640, 480, 32, false), 0);
    SetupScene();
    PumpMessages();
  }

  // Window messages (its size among them) go to the window procedure.
  static void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  void SetUp() override {
    window_ = x_.WaitForWindow(e2e::WindowQuery::Exact("Game gfx engine").OfPid(getpid()), 10s);
    // The viewport covers the client area, so scene points map onto the
    // window's pixels through the projection alone.
    ASSERT_EQ(x_.Geometry(window_).width, ViewportWidth);
    ASSERT_EQ(x_.Geometry(window_).height, ViewportHeight);
    // A board at rest of kinds (c + r) mod 6, no glow.
    for (int c = 0; c < BoardSide; ++c)
      for (int r = 0; r < BoardSide; ++r)
        BoardCell(c, r) =
            Cell{HomeCoordinate(c), HomeCoordinate(r), static_cast<uint8_t>((c + r) % 6), Normal, 0};
    animState = Idle;
    pickState = NothingPicked;
    cursorX = 1.2f;  // off the board, bottom right
    cursorY = -0.85f;
    tickPrev = tickNow = 1000;
  }

  // Draws two frames without elapsed time (the second as every later frame
  // is drawn) and returns what the window shows.
  e2e::Image Show() {
    RenderFrame();
    RenderFrame();
    glFinish();
    PumpMessages();
    return x_.WaitForStableImage(window_, 150ms, 10s);
  }

  // The window pixel of scene point (x, y) on the board's plane, moved by
  // (dx, dy) pixels.
  Rgb At(const e2e::Image& image, double x, double y, int dx = 0, int dy = 0) const {
    const int px = static_cast<int>(std::floor((x * 3 / 8 + 0.5) * ViewportWidth)) + dx;
    const int py = static_cast<int>(std::floor((0.5 - y / 2) * ViewportHeight)) + dy;
    return image.At(px, py);
  }

  static inline enginetest::ScratchDir* folder_ = nullptr;
  e2e::XSession x_;
  e2e::WindowId window_ = 0;
};

::testing::AssertionResult Looks(Rgb actual, Rgb expected, int tolerance = 3) {
  if (e2e::Near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " where " << expected << " was expected";
}

TEST_F(Scene, TexturesAreMadeFromThePicturesAndAMissingOneLeavesItsNameAlone) {
  EXPECT_NE(arrowTexture, 0u);
  for (int k = 0; k < static_cast<int>(GemKinds); ++k) {
    if (k == kMissingKind) {
      EXPECT_EQ(gemTextures[k], 0u);
      continue;
    }
    EXPECT_TRUE(glIsTexture(gemTextures[k])) << k;
    EXPECT_NE(gemTextures[k], arrowTexture) << k;
  }

  uint32_t name = 77;
  EXPECT_FALSE(LoadTexture("3.bmp", name));
  EXPECT_EQ(name, 77u);

  // The texture holds the picture as loaded, key colour transparent, and
  // stays bound.
  ASSERT_TRUE(LoadTexture("1.bmp", name));
  EXPECT_NE(name, 77u);
  GLint bound = 0, width = 0, height = 0, mode = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 64);
  std::vector<uint8_t> texels(64 * 64 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  std::optional<BmpImage> image = LoadBmpImage("1.bmp");
  ASSERT_TRUE(image);
  EXPECT_EQ(texels, image->pixels);
  EXPECT_EQ(texels[3], 0);                         // the key colour
  EXPECT_EQ(texels[(32 * 64 + 32) * 4 + 3], 255);  // the stone
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(mode, GL_MODULATE);

  // Sides that are not powers of two are scaled to powers of two.
  const std::vector<uint8_t> odd(3 * 5 * 4, 200);
  uint32_t oddName = CreateTexture(3, 5, odd.data());
  EXPECT_NE(oddName, 0u);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  EXPECT_TRUE(width > 0 && (width & (width - 1)) == 0) << width;
  EXPECT_TRUE(height > 0 && (height & (height - 1)) == 0) << height;
}

TEST_F(Scene, TheOrangeRimLiesWhereTheProjectionPutsItsVerticesOnAWhiteBackground) {
  e2e::Image shown = Show();
  const Rgb orange{Lit(1.0), Lit(0.5), 0};
  EXPECT_TRUE(Looks(shown.At(3, 3), kWhite));
  EXPECT_TRUE(Looks(shown.At(ViewportWidth - 4, ViewportHeight - 4), kWhite));

  // The outer corners of the U: the rim just inside each, white just
  // outside.
  for (double sx : {-0.85, 0.85}) {
    for (double sy : {-0.85, 0.85}) {
      const int in = 2, out = -3;
      const int dx = sx < 0 ? 1 : -1, dy = sy < 0 ? -1 : 1;
      EXPECT_TRUE(Looks(At(shown, sx, sy, dx * in, dy * in), orange)) << sx << "," << sy;
      EXPECT_TRUE(Looks(At(shown, sx, sy, dx * out, dy * out), kWhite)) << sx << "," << sy;
      EXPECT_TRUE(Looks(At(shown, sx, sy, dx * in, dy * out), kWhite)) << sx << "," << sy;
    }
  }
  // The middle of each strip.
  EXPECT_TRUE(Looks(At(shown, -0.825, 0.0), orange));
  EXPECT_TRUE(Looks(At(shown, 0.825, 0.0), orange));
  EXPECT_TRUE(Looks(At(shown, 0.0, -0.825), orange));
  // The strips end at their inner edge, 0.8 from the middle.
  EXPECT_TRUE(Looks(At(shown, -0.8, 0.3, -2, 0), orange));
  EXPECT_TRUE(Looks(At(shown, 0.8, 0.3, 2, 0), orange));
  EXPECT_TRUE(Looks(At(shown, 0.3, -0.8, 0, 2), orange));
  // The top is open.
  EXPECT_TRUE(Looks(At(shown, 0.0, 0.83), kWhite));
  EXPECT_TRUE(Looks(At(shown, -0.4, 0.85, 0, 2), kWhite));
  // The inner walls recede from the near plane and, facing sideways, catch
  // the light differently: the left one none of it.
  EXPECT_TRUE(Looks(At(shown, -0.785, 0.81), Rgb{Lit(1.0, 0, 0, 0.85), Lit(0.5, 0, 0, 0.85), 0}));
  EXPECT_TRUE(Looks(At(shown, 0.785, 0.81), Rgb{Lit(1.0, 0, 0, -1), Lit(0.5, 0, 0, -1), 0}));
}

TEST_F(Scene, EachKindShowsItsTintAroundItsPictureAndTheGlowBrightensIt) {
  for (int c = 0; c < BoardSide; ++c) BoardCell(c, 7).glow = 0.5f;
  BoardCell(1, 7).state = Hovered;
  e2e::Image shown = Show();
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      const Cell& cell = BoardCell(c, r);
      const Rgb tint = LitTint(cell.kind, r == 7 ? 0.5 : 0.0);
      // The picture's key-colour corner shows the tint; its middle shows
      // the stone, unless the kind has no picture.
      EXPECT_TRUE(Looks(At(shown, cell.x - 0.07, cell.y + 0.07), tint))
          << c << "," << r << " kind " << int{cell.kind};
      const Rgb middle = At(shown, cell.x, cell.y);
      if (cell.kind == kMissingKind) {
        EXPECT_TRUE(Looks(middle, tint)) << c << "," << r;
      } else {
        EXPECT_FALSE(Looks(middle, tint, 12)) << c << "," << r << ": " << middle;
      }
    }
  }
  // The bevels, their normals unequal, take the light each their own way:
  // the top most, the bottom least.
  const Cell& grey = BoardCell(5, 0);
  ASSERT_EQ(grey.kind, 5);
  const double bevel = 0.0875;
  EXPECT_TRUE(Looks(At(shown, grey.x, grey.y + bevel),
                    Rgb{Lit(0.5, 0.5, 0.5), Lit(0.5, 0.5, 0.5), Lit(0.5, 0.5, 0.5)}, 4));
  EXPECT_TRUE(Looks(At(shown, grey.x - bevel, grey.y),
                    Rgb{Lit(0.5, 0.5, 0, -0.5), Lit(0.5, 0.5, 0, -0.5), Lit(0.5, 0.5, 0, -0.5)}, 4));
  EXPECT_TRUE(Looks(At(shown, grey.x + bevel, grey.y),
                    Rgb{Lit(0.5, 0.5, 0, 0.5), Lit(0.5, 0.5, 0, 0.5), Lit(0.5, 0.5, 0, 0.5)}, 4));
  EXPECT_TRUE(Looks(At(shown, grey.x, grey.y - bevel),
                    Rgb{Lit(0.5, 0.5, -0.5), Lit(0.5, 0.5, -0.5), Lit(0.5, 0.5, -0.5)}, 4));
}

TEST_F(Scene, SelectedSwappingAndShrinkingGemsHaveTheirOwnLook) {
  // A selected cell: yellow behind its picture.
  BoardCell(2, 2).state = Selected;
  // Halfway through a swap along row 5: both gems over the line between
  // their cells, white behind their pictures.
  BoardCell(3, 5).state = BoardCell(4, 5).state = Swapping;
  firstCell = &BoardCell(3, 5);
  secondCell = &BoardCell(4, 5);
  StartSwapMove();
  pickState = SwapMoving;
  firstCell->x = secondCell->x = 0.0f;
  // The gem of (7, 7) shrunk to half, drawn halfway toward the middle over
  // the resting gem of (5, 5).
  BoardCell(7, 7).state = Matched;
  e2e::Image swapping = Show();
  EXPECT_TRUE(Looks(At(swapping, HomeCoordinate(2) - 0.07, HomeCoordinate(2) + 0.07), Rgb{255, 255, 0}));
  EXPECT_FALSE(Looks(At(swapping, HomeCoordinate(2), HomeCoordinate(2)), Rgb{255, 255, 0}, 12));
  EXPECT_TRUE(Looks(At(swapping, -0.07, HomeCoordinate(5) + 0.07), kWhite));
  // Where the two gems rest otherwise, the background shows.
  EXPECT_TRUE(Looks(At(swapping, HomeCoordinate(3) - 0.05, HomeCoordinate(5)), kWhite));

  animState = Shrink;
  shrinkScale = 0.5f;
  e2e::Image shrinking = Show();
  EXPECT_TRUE(Looks(At(shrinking, 0.35 - 0.035, 0.35 + 0.035), LitTint(BoardCell(7, 7).kind, 0)));
  EXPECT_TRUE(Looks(At(shrinking, 0.7 - 0.07, 0.7 + 0.07), kWhite));
  EXPECT_TRUE(Looks(At(shrinking, 0.3 - 0.07, 0.3 + 0.07), LitTint(BoardCell(5, 5).kind, 0)));
}

TEST_F(Scene, TheCursorPictureSitsAtThePointerWithItsKeyColourCutOut) {
  // Over the plain face of a gem whose kind has no picture.
  Cell& plain = BoardCell(4, 4);
  plain.kind = kMissingKind;
  const Rgb tint = LitTint(kMissingKind, 0);
  cursorX = plain.x - 0.07f;
  cursorY = plain.y + 0.07f;
  e2e::Image shown = Show();
  // The arrow's tip at the hot spot, its white body below, its lower left
  // corner cut out.
  EXPECT_FALSE(Looks(At(shown, cursorX + 0.006, cursorY - 0.012), tint, 12));
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.012, cursorY - 0.04), kWhite));
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.006, cursorY - 0.094), tint));
  // Right of the arrow the picture is key colour: the tint shows through.
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.08, cursorY - 0.02), tint));
  EXPECT_TRUE(Looks(At(shown, cursorX + 0.02, cursorY - 0.095), tint));
  // Most of the square is cut out, and nothing in it but the tint and the
  // arrow's white, black and the greys between them.
  int cut = 0, other = 0;
  for (int dy = 1; dy < 23; ++dy) {
    for (int dx = 1; dx < 23; ++dx) {
      Rgb p = At(shown, cursorX, cursorY, dx, dy);
      if (Looks(p, tint)) {
        ++cut;
      } else if (std::abs(p.r - p.g) > 3 || std::abs(p.g - p.b) > 3) {
        ++other;
      }
    }
  }
  EXPECT_GT(cut, 22 * 22 / 2);
  EXPECT_EQ(other, 0);
}

}  // namespace
