// Device contexts, pixel formats and WGL contexts on a real X server with
// Mesa: a context in which OpenGL 1.1 works, drawn into and read back.
// windows.h first, as on Windows: it defines what GL/gl.h expects.
#include <windows.h>

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "LayerSupport.h"

namespace {

const e2e::Rgb kRed{255, 0, 0}, kBlue{0, 0, 255};

// A PROC back to the function's own type, as a program does with it.
template <typename F>
F FromProc(PROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

e2e::Rgb ReadPixel(int x, int y) {
  unsigned char rgba[4] = {};
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return {rgba[0], rgba[1], rgba[2]};
}

// A blue background with a red rectangle over the middle half, drawn
// through a display list, as a compatibility context allows.
void DrawScene() {
  glViewport(0, 0, 200, 100);
  glClearColor(0, 0, 1, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glColor3f(1, 0, 0);
  glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
  glEndList();
  glCallList(list);
  glDeleteLists(list, 1);
}

TEST(OpenGLX, ContextDrawsAndPresentsButIsNotCurrentUntilMadeSo) {
  e2e::XSession x;
  HWND window = support::MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDC(window), dc) << "the window's one device context";

  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = pfd.cDepthBits = 32;
  EXPECT_EQ(wglCreateContext(dc), nullptr) << "no pixel format yet";
  int format = ChoosePixelFormat(dc, &pfd);
  EXPECT_GT(format, 0);
  ASSERT_TRUE(SetPixelFormat(dc, format, &pfd));
  EXPECT_TRUE(SetPixelFormat(dc, format, &pfd)) << "the same format again is harmless";
  EXPECT_FALSE(SetPixelFormat(dc, format + 1, &pfd));

  HGLRC context = wglCreateContext(dc);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr) << "creating a context does not make it current";
  EXPECT_EQ(wglGetProcAddress("wglSwapIntervalEXT"), nullptr);

  ASSERT_TRUE(wglMakeCurrent(dc, context));
  ASSERT_NE(SDL_GL_GetCurrentContext(), nullptr);
  auto swapInterval = FromProc<BOOL(WINAPI*)(int)>(wglGetProcAddress("wglSwapIntervalEXT"));
  auto getInterval = FromProc<int(WINAPI*)()>(wglGetProcAddress("wglGetSwapIntervalEXT"));
  ASSERT_TRUE(swapInterval && getInterval);
  swapInterval(0);
  EXPECT_EQ(getInterval(), 0);
  EXPECT_EQ(wglGetProcAddress("wglNoSuchFunctionARB"), nullptr);

  GLint depthBits = 0, doubleBuffered = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
  EXPECT_GE(depthBits, 16);
  EXPECT_TRUE(doubleBuffered);

  DrawScene();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "OpenGL 1.1 calls in this context";
  EXPECT_EQ(ReadPixel(100, 50), kRed);
  EXPECT_EQ(ReadPixel(5, 5), kBlue);

  // What the X server shows once the buffers are swapped (X counts rows
  // from the top).
  EXPECT_TRUE(SwapBuffers(dc));
  glFinish();
  e2e::Image shown = x.Capture(support::XWindow(window));
  EXPECT_TRUE(e2e::PixelIs(shown, 100, 50, kRed)) << "the swap shows the drawn frame";
  EXPECT_TRUE(e2e::PixelIs(shown, 195, 5, kBlue));

  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
  EXPECT_TRUE(wglDeleteContext(context));
  EXPECT_FALSE(wglDeleteContext(context));
  EXPECT_FALSE(wglMakeCurrent(dc, context));
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
}

TEST(OpenGLX, ContextMadeDuringCreateOfAHiddenWindowWorksAfterShowing) {
  // The 2D game's order: OpenGL set up inside WM_CREATE, the window shown later.
  HDC dc = nullptr;
  HGLRC context = nullptr;
  support::handler = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) {
      dc = GetDC(window);
      PIXELFORMATDESCRIPTOR pfd{};
      pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
      SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
      context = wglCreateContext(dc);
      wglMakeCurrent(dc, context);
    }
    if (message == WM_DESTROY) {
      wglMakeCurrent(nullptr, nullptr);
      wglDeleteContext(context);
      ReleaseDC(window, dc);
    }
    return std::nullopt;
  };
  HWND window = support::MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(context, nullptr);
  EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
  ShowWindow(window, SW_SHOWDEFAULT);
  UpdateWindow(window);
  DrawScene();
  EXPECT_EQ(ReadPixel(100, 50), kRed);
  EXPECT_TRUE(SwapBuffers(dc));
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
  EXPECT_FALSE(SwapBuffers(dc)) << "the device context went with its window";
}

}  // namespace
