// The viewport and projection on a real rendering context: the engine's
// window brought up in this process.
#include <windows.h>
// After windows.h, which it needs on Windows.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Logger.h"
#include "WindowUnit.h"

namespace {

class Viewport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    StartLogger();
    WindowHandle = CreateGameWindow();
    ASSERT_NE(WindowHandle, nullptr);
    ASSERT_EQ(SetVideoMode(640, 480, 32, false), 0);
  }
};

std::array<GLint, 4> GlViewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

TEST_F(Viewport, AHeightOfZeroCountsAsOne) {
  ResizeViewport(300, 0);
  EXPECT_EQ(ViewportWidth, 300);
  EXPECT_EQ(ViewportHeight, 1);
  EXPECT_EQ(GlViewport(), (std::array<GLint, 4>{0, 0, 300, 1}));

  ResizeViewport(800, 600);
  EXPECT_EQ(ViewportWidth, 800);
  EXPECT_EQ(ViewportHeight, 600);
  EXPECT_EQ(GlViewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
}

TEST_F(Viewport, TheProjectionIsTheFixedFrustumWhateverTheSize) {
  // Whatever state the scene left, the call resets both matrices and leaves
  // the model-view one current.
  for (auto [width, height] : {std::pair{640, 480}, std::pair{300, 700}}) {
    glMatrixMode(GL_PROJECTION);
    glTranslatef(1.0f, 2.0f, 3.0f);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glMatrixMode(GL_TEXTURE);

    ResizeViewport(width, height);

    GLint mode = 0;
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
