// Windows and OpenGL under a bare X server (no window manager, so no
// frames): the sizes a window is held to, maximising, full screen, the swap
// interval, and the font lists of the 2D game read back pixel by pixel.
// windows.h first, as on Windows: it defines what GL/gl.h expects.
#include <windows.h>

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "WindowRecord.h"
#include "XServer.h"

namespace {

using namespace std::chrono_literals;

// OpenGL through EGL: the test server's GLX cannot set swap intervals, its
// EGL can.
const bool eglChosen = [] { return setenv("SDL_VIDEO_X11_FORCE_EGL", "1", 1) == 0; }();

// What each test window's procedure heard of its creation, sizes and system
// commands, in order: "create", "size <type> <width>x<height>", "command
// <code in hex>".
std::map<HWND, std::vector<std::string>> heard;

LRESULT CALLBACK Listening(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  char line[64] = "";
  if (message == WM_CREATE) std::snprintf(line, sizeof line, "create");
  if (message == WM_SIZE)
    std::snprintf(line, sizeof line, "size %u %dx%d", static_cast<unsigned>(wParam), LOWORD(lParam),
                  HIWORD(lParam));
  if (message == WM_SYSCOMMAND) std::snprintf(line, sizeof line, "command %x", static_cast<unsigned>(wParam));
  if (*line) heard[window].push_back(line);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(DWORD style, int x, int y, int width, int height) {
  static const ATOM registered = [] {
    WNDCLASSA c{};
    c.lpfnWndProc = Listening;
    c.lpszClassName = "LayerTest";
    return RegisterClassA(&c);
  }();
  EXPECT_NE(registered, 0);
  return CreateWindowExA(0, "LayerTest", "Layer test", style, x, y, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

// Takes and dispatches messages until done() holds.
void PumpUntil(const char* what, const std::function<bool()>& done) {
  e2e::WaitUntil(what, 5s, [&] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return done();
  });
}

void PumpFor(e2e::Duration time) {
  const auto end = std::chrono::steady_clock::now() + time;
  PumpUntil("time to pass", [&] { return std::chrono::steady_clock::now() >= end; });
}

// The outer size a window is made with, or later given, and what its
// procedure and X see of it. Windows holds an overlapped window, or one with
// a sizing border, between its tracking sizes; a bare popup, as a
// full-screen window is, takes any size.
TEST(WindowX, WindowsAreHeldBetweenTheTrackingSizesAndBarePopupsAreNot) {
  e2e::XSession x;
  const int minW = GetSystemMetrics(SM_CXMINTRACK), minH = GetSystemMetrics(SM_CYMINTRACK);
  const int maxW = GetSystemMetrics(SM_CXMAXTRACK), maxH = GetSystemMetrics(SM_CYMAXTRACK);
  // Windows' own at 96 dots per inch: the screen with a sizing frame of 8
  // pixels on each side; room for a caption with its buttons.
  EXPECT_EQ(std::vector({maxW, maxH, minW, minH}), std::vector({1040, 784, 136, 39}));
  struct Case {
    const char* what;
    DWORD style;
    int width, height, heldWidth, heldHeight;
  };
  const Case cases[] = {
      {"the 2D game's", WS_OVERLAPPEDWINDOW, 350, 500, 350, 500},
      {"a width no screen has", WS_OVERLAPPEDWINDOW, 276447231, 480, maxW, 480},
      {"too small", WS_OVERLAPPEDWINDOW, 1, -5, minW, minH},
      {"too large", WS_OVERLAPPEDWINDOW, 100000, 100000, maxW, maxH},
      {"a sizing border", WS_POPUP | WS_THICKFRAME, 5000, 10, maxW, minH},
      {"a bare popup", WS_POPUP, maxW + 100, 20, maxW + 100, 20},
  };
  for (const Case& c : cases) {
    const std::string size = std::to_string(c.heldWidth) + "x" + std::to_string(c.heldHeight);
    HWND window = MakeWindow(c.style, 337, 134, c.width, c.height);
    ASSERT_NE(window, nullptr) << c.what;
    SetWindowPos(window, HWND_TOP, 0, 0, 200, 100, SWP_NOREDRAW);
    SetWindowPos(window, HWND_TOP, 337, 134, c.width, c.height, SWP_NOREDRAW);
    EXPECT_EQ(heard[window],
              (std::vector<std::string>{"create", "size 0 " + size, "size 0 200x100", "size 0 " + size}))
        << c.what;
    // Without a frame the client area is the outer rectangle.
    RECT client{};
    GetClientRect(window, &client);
    const e2e::Rect shown = x.Geometry(xserver::WindowOf(window->sdl));
    EXPECT_EQ(std::to_string(client.right) + "x" + std::to_string(client.bottom), size) << c.what;
    EXPECT_EQ(shown, (e2e::Rect{337, 134, c.heldWidth, c.heldHeight})) << c.what;
    DestroyWindow(window);
  }
}

// A maximise by the window manager comes to the procedure as the system
// command, which the default procedure finds done, then as the maximised
// size; one that the program posts itself comes once, not a second time
// from the host.
TEST(WindowX, MaximisingComesAsTheSystemCommandThenTheMaximisedSize) {
  e2e::XSession x;
  HWND byManager = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  HWND byProgram = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  ASSERT_TRUE(byManager && byProgram);
  PumpFor(100ms);
  heard.clear();
  xserver::Maximise(x, xserver::WindowOf(byManager->sdl));
  PostMessageA(byProgram, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  auto maximised = [](HWND w) {
    return std::ranges::any_of(heard[w], [](const std::string& s) { return s.starts_with("size 2 "); });
  };
  PumpUntil("both windows to be maximised", [&] { return maximised(byManager) && maximised(byProgram); });
  PumpFor(100ms);
  const std::vector<std::string> maximise = {"command f030", "size 2 640x480"};
  EXPECT_EQ(heard[byManager], maximise);
  EXPECT_EQ(heard[byProgram], maximise);
}

// The 3D game's full screen: a mode that the display offers, set while a
// visible popup covers the screen at the mode's size, makes that window
// full screen in the mode until the desktop mode is back. The test server
// offers its screen's size at X's depth 24, which comes in four-byte pixels:
// 32 bits per pixel for Windows.
TEST(WindowX, OnlyAnOfferedModeMakesTheCoveringPopupFullScreenUntilTheDesktopModeIsBack) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  SetWindowPos(window, HWND_TOP, 0, 0, 1024, 768, SWP_NOREDRAW);
  ShowWindow(window, SW_SHOW);
  auto fullScreen = [&] { return (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN) != 0; };
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  mode.dmPelsWidth = 1024;
  mode.dmPelsHeight = 768;
  for (DWORD bits : {24u, 16u}) {
    mode.dmBitsPerPel = bits;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE) << bits;
  }
  EXPECT_FALSE(fullScreen());
  mode.dmBitsPerPel = 32;
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(fullScreen());
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(fullScreen());
}

constexpr int kWidth = 256, kHeight = 64;  // powers of two keep the projection exact

// A visible popup window with a current OpenGL context, made as the games
// make theirs.
class OpenGLX : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight);
    ASSERT_NE(window_, nullptr);
    dc_ = GetDC(window_);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = pfd.cDepthBits = 32;
    ASSERT_TRUE(SetPixelFormat(dc_, ChoosePixelFormat(dc_, &pfd), &pfd));
    context_ = wglCreateContext(dc_);
    ASSERT_TRUE(context_ && wglMakeCurrent(dc_, context_));
  }
  void TearDown() override {
    wglMakeCurrent(nullptr, nullptr);
    if (context_) wglDeleteContext(context_);
    if (window_) DestroyWindow(window_);
  }

  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
};

// The 3D game turns off the wait for the vertical retrace this way.
TEST_F(OpenGLX, TheSwapIntervalExtensionSetsTheInterval) {
  ASSERT_TRUE(eglChosen);
  PROC found = wglGetProcAddress("wglSwapIntervalEXT");
  ASSERT_NE(found, nullptr);
  auto swapInterval = reinterpret_cast<BOOL(WINAPI*)(int)>(reinterpret_cast<void (*)()>(found));
  for (int interval : {1, 0}) {
    EXPECT_TRUE(swapInterval(interval));
    EXPECT_EQ(SDL_GL_GetSwapInterval(), interval);
  }
}

// Draws the text through the lists from (x, y), white on black as the 2D
// game draws; gives the lit pixels, bottom row first, and where the raster
// position ended.
std::vector<bool> Draw(const std::string& text, int x, int y, float& endX) {
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glRasterPos2i(x, y);
  glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
  GLfloat position[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
  endX = position[0];
  std::vector<unsigned char> red(kWidth * kHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RED, GL_UNSIGNED_BYTE, red.data());
  std::vector<bool> lit(red.size());
  std::transform(red.begin(), red.end(), lit.begin(), [](unsigned char v) { return v > 127; });
  return lit;
}

// The pixels that the text drawn from (x, y) should light, bottom row first:
// the glyph bitmaps that GetGlyphOutlineA gives for the font selected into
// the device context, each at its origin, the pen moving by the advances;
// and where the pen ends.
std::vector<bool> Glyphs(HDC dc, const std::string& text, int x, int y, int& endX) {
  std::vector<bool> lit(kWidth * kHeight);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  for (unsigned char c : text) {
    GLYPHMETRICS m{};
    // The size first: a glyph without pixels has no bitmap to ask for.
    const DWORD size = GetGlyphOutlineA(dc, c, GGO_BITMAP, &m, 0, nullptr, &identity);
    std::vector<unsigned char> bits(size == GDI_ERROR ? 0 : size);
    EXPECT_TRUE(size != GDI_ERROR &&
                (size == 0 || GetGlyphOutlineA(dc, c, GGO_BITMAP, &m, size, bits.data(), &identity) == size))
        << c;
    // Rows from the top, each padded to 32 bits.
    const UINT pitch = (m.gmBlackBoxX + 31) / 32 * 4;
    for (UINT row = 0; !bits.empty() && row < m.gmBlackBoxY; ++row) {
      for (UINT col = 0; col < m.gmBlackBoxX; ++col) {
        if (bits[row * pitch + col / 8] >> (7 - col % 8) & 1) {
          lit[(y + m.gmptGlyphOrigin.y - 1 - static_cast<int>(row)) * kWidth + x + m.gmptGlyphOrigin.x +
              static_cast<int>(col)] = true;
        }
      }
    }
    x += m.gmCellIncX;
  }
  endX = x;
  return lit;
}

// The 2D game's text: a bitmap list per character, of the font selected
// into the device context. Drawn, the lists light exactly the pixels of the
// glyphs that GetGlyphOutlineA gives and move the raster position by their
// advances, whatever the caller's unpack settings.
TEST_F(OpenGLX, FontListsDrawTheGlyphsOfTheSelectedFont) {
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, kWidth, 0, kHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 5);
  HFONT font = CreateFontA(16, 8, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           ANTIALIASED_QUALITY, 0, "arial");
  HGDIOBJ previous = SelectObject(dc_, font);
  const GLuint base = glGenLists(96);
  ASSERT_TRUE(wglUseFontBitmapsA(dc_, 32, 96, base));
  glListBase(base - 32);
  int endX = 0;
  const std::vector<bool> expected = Glyphs(dc_, "Hi, Wgj!", 10, 24, endX);
  SelectObject(dc_, previous);
  EXPECT_TRUE(DeleteObject(font));  // the lists keep their bitmaps
  EXPECT_GT(std::count(expected.begin(), expected.end(), true), 100);
  float drawnEnd = 0;
  EXPECT_TRUE(Draw("Hi, Wgj!", 10, 24, drawnEnd) == expected) << "pixels differ from the glyphs";
  EXPECT_EQ(drawnEnd, endX);

  // On the device context's own font the lists are made from that.
  ASSERT_TRUE(wglUseFontBitmapsA(dc_, 32, 96, base));
  const std::vector<bool> own = Glyphs(dc_, "Ab", 5, 20, endX);
  EXPECT_GT(std::count(own.begin(), own.end(), true), 20);
  EXPECT_TRUE(Draw("Ab", 5, 20, drawnEnd) == own) << "pixels differ from the default font's glyphs";
  EXPECT_EQ(drawnEnd, endX);
}

}  // namespace
