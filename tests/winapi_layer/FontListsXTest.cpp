// wglUseFontBitmapsA in a real OpenGL context: the lists are drawn the way
// the games draw text, and the pixels read back.
#include <windows.h>
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FontRaster.h"
#include "Gdi.h"
#include "Handles.h"

namespace {

constexpr int kWidth = 256;  // powers of two keep the pixel projection exact
constexpr int kHeight = 64;
constexpr int kGlyphCount = 96;

class FontLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow("font lists", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    context_ = SDL_GL_CreateContext(window_);
    ASSERT_NE(context_, nullptr) << SDL_GetError();
    ASSERT_EQ(SDL_GL_MakeCurrent(window_, context_), 0);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    base_ = glGenLists(kGlyphCount);
    ASSERT_NE(base_, 0u);
  }

  void TearDown() override {
    winlayer::ForgetDeviceContext(&dc_);
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  static HFONT ArialBold() {
    return CreateFontA(16, 8, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       ANTIALIASED_QUALITY, 0, "arial");
  }

  // Draws the text as the games do, from (x, y), white on black.
  void Draw(const std::string& text, int x, int y) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glRasterPos2i(x, y);
    glPushAttrib(GL_LIST_BIT);
    glListBase(base_ - 32);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopAttrib();
    glFinish();
  }

  // Which pixels are lit, row 0 at the bottom.
  std::vector<bool> Lit() {
    std::vector<unsigned char> rgb(kWidth * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<bool> lit(kWidth * kHeight);
    for (int i = 0; i < kWidth * kHeight; ++i) lit[i] = rgb[i * 3] > 127;
    return lit;
  }

  // The pixels the glyphs should light, placed from the rasteriser's own
  // origins and advances; codes outside 32..127 draw nothing.
  std::vector<bool> Expected(const winlayer::FontRasterizer& font, const std::string& text, int x, int y) {
    std::vector<bool> lit(kWidth * kHeight);
    for (unsigned char c : text) {
      if (c < 32 || c > 127) continue;
      winlayer::GlyphBitmap glyph = font.RenderCode(c);
      for (int row = 0; row < glyph.rows; ++row) {
        for (int col = 0; col < glyph.width; ++col) {
          int px = x + glyph.left + col, py = y + glyph.bottom + row;
          if (glyph.Lit(col, row) && px >= 0 && px < kWidth && py >= 0 && py < kHeight)
            lit[py * kWidth + px] = true;
        }
      }
      x += glyph.advance;
    }
    return lit;
  }

  static void RasterPosition(float& x, float& y) {
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    x = position[0];
    y = position[1];
  }

  static int Count(const std::vector<bool>& lit) {
    int n = 0;
    for (bool b : lit) n += b;
    return n;
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GLuint base_ = 0;
  DeviceContextRecord dc_;
};

TEST_F(FontLists, GlyphsLightTheirPixelsAndAdvanceTheRasterPosition) {
  HFONT font = ArialBold();
  SelectObject(&dc_, font);
  // Unpack settings of the caller's own must neither spoil the bitmaps nor
  // be lost.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 5);
  ASSERT_EQ(wglUseFontBitmapsA(&dc_, 32, kGlyphCount, base_), TRUE);
  GLint alignment = 0, lsbFirst = 0, rowLength = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_UNPACK_LSB_FIRST, &lsbFirst);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  EXPECT_EQ(alignment, 8);
  EXPECT_EQ(lsbFirst, GL_TRUE);
  EXPECT_EQ(rowLength, 5);
  // The font goes, the lists keep their bitmaps.
  EXPECT_EQ(DeleteObject(font), TRUE);
  EXPECT_EQ(dc_.selectedFont, nullptr);

  auto raster = winlayer::FontRasterizer::Open({16, 8, FW_BOLD, false, 0, "arial"});
  ASSERT_TRUE(raster);
  const std::string text = "Hi, Wgj!";
  const int x = 10, y = 24;
  Draw(text, x, y);
  std::vector<bool> lit = Lit();
  std::vector<bool> expected = Expected(*raster, text, x, y);
  EXPECT_GT(Count(expected), 100);
  int wrong = 0;
  for (int i = 0; i < kWidth * kHeight; ++i) wrong += lit[i] != expected[i];
  EXPECT_EQ(wrong, 0) << "pixels differ from the glyphs";

  // Nothing outside the text's run along the base line, and the letters
  // stand upright: the bar of a T is above its stem.
  int sum = 0;
  for (unsigned char c : text) sum += raster->RenderCode(c).advance;
  for (int py = 0; py < kHeight; ++py) {
    for (int px = 0; px < kWidth; ++px) {
      if (!lit[py * kWidth + px]) continue;
      EXPECT_TRUE(px >= x - 1 && px < x + sum + 1 && py >= y - raster->Descent() - 1 &&
                  py < y + raster->Ascent() + 1)
          << px << "," << py;
    }
  }
  float rx = 0, ry = 0;
  RasterPosition(rx, ry);
  EXPECT_FLOAT_EQ(rx, static_cast<float>(x + sum));
  EXPECT_FLOAT_EQ(ry, static_cast<float>(y));

  Draw("T", x, y);
  std::vector<bool> t = Lit();
  int top = -1, bottom = kHeight;
  for (int py = 0; py < kHeight; ++py) {
    for (int px = 0; px < kWidth; ++px) {
      if (t[py * kWidth + px]) {
        top = std::max(top, py);
        bottom = std::min(bottom, py);
      }
    }
  }
  ASSERT_GT(top, bottom);
  EXPECT_EQ(bottom, y);
  int topRow = 0, bottomRow = 0;
  for (int px = 0; px < kWidth; ++px) {
    topRow += t[top * kWidth + px];
    bottomRow += t[bottom * kWidth + px];
  }
  EXPECT_GT(topRow, 2 * bottomRow);
}

TEST_F(FontLists, CodesWithoutAListDrawNothingAndStayPut) {
  SelectObject(&dc_, ArialBold());
  ASSERT_EQ(wglUseFontBitmapsA(&dc_, 32, kGlyphCount, base_), TRUE);
  auto raster = winlayer::FontRasterizer::Open({16, 8, FW_BOLD, false, 0, "arial"});
  ASSERT_TRUE(raster);
  const int x = 20, y = 30;
  Draw("\xC8\x1F\x80", x, y);
  EXPECT_EQ(Count(Lit()), 0);
  float rx = 0, ry = 0;
  RasterPosition(rx, ry);
  EXPECT_FLOAT_EQ(rx, static_cast<float>(x));
  EXPECT_FLOAT_EQ(ry, static_cast<float>(y));
  // Between two letters such a code changes nothing either.
  Draw(
      "A\xC8"
      "B",
      x, y);
  std::vector<bool> mixed = Lit();
  RasterPosition(rx, ry);
  EXPECT_EQ(mixed, Expected(*raster, "AB", x, y));
  EXPECT_FLOAT_EQ(rx,
                  static_cast<float>(x + raster->RenderCode('A').advance + raster->RenderCode('B').advance));
  HGDIOBJ font = SelectObject(&dc_, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

TEST_F(FontLists, FailsWithoutAContextAndDrawsTheDefaultFontWithoutASelection) {
  ASSERT_EQ(SDL_GL_MakeCurrent(window_, nullptr), 0);
  EXPECT_EQ(wglUseFontBitmapsA(&dc_, 32, kGlyphCount, base_), FALSE);
  ASSERT_EQ(SDL_GL_MakeCurrent(window_, context_), 0);
  EXPECT_EQ(wglUseFontBitmapsA(nullptr, 32, kGlyphCount, base_), FALSE);
  EXPECT_EQ(wglUseFontBitmapsA(&dc_, 32, kGlyphCount, 0), FALSE);  // list 0 does not exist
  // No font selected: the stock system font.
  ASSERT_EQ(wglUseFontBitmapsA(&dc_, 32, kGlyphCount, base_), TRUE);
  Draw("Ab", 5, 20);
  EXPECT_GT(Count(Lit()), 20);
  float rx = 0, ry = 0;
  RasterPosition(rx, ry);
  EXPECT_GT(rx, 5.0f + 10.0f);
}

}  // namespace
