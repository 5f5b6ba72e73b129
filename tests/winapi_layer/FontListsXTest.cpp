// wglUseFontBitmapsA in a real OpenGL context: the lists are drawn the way
// the games draw text, and the pixels read back.
#include <windows.h>
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FontRaster.h"
#include "Gdi.h"
#include "Handles.h"
#include "TestKit.h"

namespace {

constexpr int kWidth = 256, kHeight = 64;  // powers of two keep the projection exact

class FontLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window_ = SDL_CreateWindow("font lists", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    context_ = SDL_GL_CreateContext(window_);
    ASSERT_NE(context_, nullptr) << SDL_GetError();
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    base_ = glGenLists(96);
    raster_ = winlayer::FontRasterizer::Open({16, 8, FW_BOLD, false, 0, "arial"});
    ASSERT_TRUE(raster_);
  }
  void TearDown() override {
    winlayer::ForgetDeviceContext(&dc_);
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  // Draws white on black as the games do; gives the lit pixels, bottom row
  // first, and where the raster position ended.
  std::vector<bool> Draw(const std::string& text, int x, int y, float* endX = nullptr) {
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glRasterPos2i(x, y);
    glListBase(base_ - 32);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    if (endX) *endX = position[0];
    EXPECT_EQ(position[1], y);
    std::vector<unsigned char> red(kWidth * kHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RED, GL_UNSIGNED_BYTE, red.data());
    std::vector<bool> lit(red.size());
    for (size_t i = 0; i < red.size(); ++i) lit[i] = red[i] > 127;
    return lit;
  }

  // The pixels the glyphs should light, each glyph at its origin inside its
  // advance box; codes outside 32..127 have no list.
  std::vector<bool> Expected(const std::string& text, int x, int y) {
    std::vector<bool> lit(kWidth * kHeight);
    for (unsigned char c : text) {
      if (c < 32 || c > 127) continue;
      winlayer::GlyphBitmap glyph = raster_->RenderCode(c);
      for (int row = 0; row < glyph.rows; ++row) {
        for (int col = 0; col < glyph.width; ++col) {
          if (glyph.Lit(col, row)) lit[(y + glyph.bottom + row) * kWidth + x + glyph.left + col] = true;
        }
      }
      x += glyph.advance;
    }
    return lit;
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GLuint base_ = 0;
  DeviceContextRecord dc_;
  std::unique_ptr<winlayer::FontRasterizer> raster_;
};

TEST_F(FontLists, GlyphsLightTheirPixelsAndAdvanceTheRasterPositionAndOtherCodesDrawNothing) {
  // The caller's unpack settings must neither spoil the bitmaps nor be lost.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 5);
  HFONT font = ArialBold();
  SelectObject(&dc_, font);
  ASSERT_EQ(wglUseFontBitmapsA(&dc_, 32, 96, base_), TRUE);
  EXPECT_EQ(DeleteObject(font), TRUE);  // the lists keep their bitmaps
  GLint alignment = 0, lsbFirst = 0, rowLength = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_UNPACK_LSB_FIRST, &lsbFirst);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  EXPECT_TRUE(alignment == 8 && lsbFirst == GL_TRUE && rowLength == 5);

  const std::string text = "Hi, Wgj!";
  float endX = 0;
  std::vector<bool> expected = Expected(text, 10, 24);
  EXPECT_GT(std::count(expected.begin(), expected.end(), true), 100);
  EXPECT_TRUE(Draw(text, 10, 24, &endX) == expected) << "pixels differ from the glyphs";
  int sum = 0;
  for (unsigned char c : text) sum += raster_->RenderCode(c).advance;
  EXPECT_EQ(endX, 10 + sum);

  // Codes outside 32..127 have no list: nothing drawn, the position stays.
  std::vector<bool> lit = Draw("\xC8\x1F\x80", 20, 30, &endX);
  EXPECT_EQ(std::count(lit.begin(), lit.end(), true), 0);
  EXPECT_EQ(endX, 20);
  EXPECT_TRUE(Draw("A\xC8"
                   "B",
                   20, 30, &endX) == Expected("AB", 20, 30));
  EXPECT_EQ(endX, 20 + raster_->RenderCode('A').advance + raster_->RenderCode('B').advance);
}

TEST_F(FontLists, FailsWithoutAContextAndUsesTheDefaultFontWithoutASelection) {
  ASSERT_EQ(SDL_GL_MakeCurrent(window_, nullptr), 0);
  EXPECT_EQ(wglUseFontBitmapsA(&dc_, 32, 96, base_), FALSE);
  ASSERT_EQ(SDL_GL_MakeCurrent(window_, context_), 0);
  EXPECT_EQ(wglUseFontBitmapsA(nullptr, 32, 96, base_), FALSE);
  EXPECT_EQ(wglUseFontBitmapsA(&dc_, 32, 96, 0), FALSE);  // list 0 does not exist
  ASSERT_EQ(wglUseFontBitmapsA(&dc_, 32, 96, base_), TRUE);
  float endX = 0;
  std::vector<bool> lit = Draw("Ab", 5, 20, &endX);
  EXPECT_GT(std::count(lit.begin(), lit.end(), true), 20);
  EXPECT_GT(endX, 15);
}

}  // namespace
