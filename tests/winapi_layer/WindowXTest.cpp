// Windows under a bare X server (no window manager, so no frames): creation,
// sizes, styles, caption, painting, closing, the window manager's maximise,
// and display modes.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "Cp1251.h"
#include "LayerSupport.h"
#include "TestKit.h"
#include "XServer.h"

namespace {

using namespace std::chrono_literals;
using support::Kinds;
using support::MakeWindow;
using support::seen;
using support::SeenOf;

std::vector<support::Seen> Of(HWND window, UINT message) {
  std::vector<support::Seen> of = SeenOf(message);
  std::erase_if(of, [&](const support::Seen& s) { return s.window != window; });
  return of;
}

TEST(WindowX, CreationSendsCreateThenSizeAndTheClientIsTheOuterSizeWithoutFrames) {
  bool liveDuringCreate = false;
  support::handler = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) liveDuringCreate = IsWindow(window);
    return std::nullopt;
  };
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 337, 134, 350, 500);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(liveDuringCreate);
  ASSERT_EQ(Kinds({WM_CREATE, WM_SIZE}), (std::vector<UINT>{WM_CREATE, WM_SIZE}));
  EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(SeenOf(WM_SIZE)[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(SeenOf(WM_SIZE)[0].lParam, MAKELPARAM(350, 500));

  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 350);
  EXPECT_EQ(client.bottom, 500);
  SDL_Window* host = support::HostWindow(window);
  int w = 0, h = 0, hx = 0, hy = 0;
  SDL_GetWindowSize(host, &w, &h);
  SDL_GetWindowPosition(host, &hx, &hy);
  EXPECT_TRUE(w == 350 && h == 500 && hx == 337 && hy == 134) << w << "x" << h << " at " << hx << ", " << hy;
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_RESIZABLE) << "WS_THICKFRAME";
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_HIDDEN) << "no WS_VISIBLE";
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_OPENGL);
}

TEST(WindowX, CreateRefusedByTheProcedureDestroysTheWindow) {
  support::handler = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100), nullptr);
  ASSERT_EQ(Kinds({WM_CREATE, WM_SIZE, WM_DESTROY}), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(seen[0].window));
}

TEST(WindowX, CaptionsTravelInWindows1251AndShowAsUtf8) {
  e2e::XSession x;
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, "Gemora  от Vardelin"_cp);
  ASSERT_NE(window, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(support::HostWindow(window)), "Gemora  от Vardelin");

  ASSERT_TRUE(SetWindowTextA(window, "FPS: 60 — кадров"_cp));
  char text[64];
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 16);
  EXPECT_STREQ(text, "FPS: 60 — кадров"_cp);
  EXPECT_EQ(GetWindowTextA(window, text, 4), 3) << "cut to the buffer, zero included";
  EXPECT_STREQ(text, "FPS");
  EXPECT_EQ(x.Title(support::XWindow(window)), "FPS: 60 — кадров");
}

TEST(WindowX, ShowingPaintsOnceAndUpdateWindowSendsThePaint) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
  ASSERT_NE(window, nullptr);
  seen.clear();
  EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT)) << "it was hidden";
  EXPECT_TRUE(ShowWindow(window, SW_SHOW)) << "it was visible";
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(SeenOf(WM_SHOWWINDOW).size(), 1u);

  // UpdateWindow sends WM_PAINT straight away; the default procedure
  // validates the window, so a second UpdateWindow sends nothing.
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(SeenOf(WM_PAINT).size(), 1u);
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(SeenOf(WM_PAINT).size(), 1u);
  support::PumpFor(100ms);
  EXPECT_LE(SeenOf(WM_PAINT).size(), 2u) << "an exposure may ask once more, but not forever";
}

TEST(WindowX, SetWindowPosResizesByOuterSizeAndPopupLosesItsFrame) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  seen.clear();

  // The full-screen start of the 3D game: popup style, then the mode's size.
  LONG previous = SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  EXPECT_EQ(static_cast<DWORD>(previous), static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), static_cast<DWORD>(WS_POPUP));
  SDL_Window* host = support::HostWindow(window);
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_BORDERLESS);
  EXPECT_FALSE(SDL_GetWindowFlags(host) & SDL_WINDOW_RESIZABLE);

  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 50, 40, 640, 480, SWP_NOREDRAW));
  EXPECT_TRUE(SeenOf(WM_SIZE).empty()) << "a move alone does not resize";
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, 800, 600, SWP_NOREDRAW));
  ASSERT_EQ(SeenOf(WM_SIZE).size(), 1u);
  EXPECT_EQ(SeenOf(WM_SIZE)[0].lParam, MAKELPARAM(800, 600));
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW));
  EXPECT_TRUE(IsWindow(window));
  int w = 0, h = 0;
  SDL_GetWindowSize(host, &w, &h);
  EXPECT_TRUE(w == 800 && h == 600) << w << "x" << h;
  EXPECT_FALSE(SDL_GetWindowFlags(host) & SDL_WINDOW_HIDDEN);
}

// The client size, which under this bare server is the outer size, as the
// program and as X see it.
std::string ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  int w = 0, h = 0;
  SDL_GetWindowSize(support::HostWindow(window), &w, &h);
  return std::to_string(r.right) + "x" + std::to_string(r.bottom) + ", X " + std::to_string(w) + "x" +
         std::to_string(h);
}

TEST(WindowX, AnOverlappedWindowIsHeldBetweenTheTrackingSizesAndABarePopupIsNot) {
  const int maxW = GetSystemMetrics(SM_CXMAXTRACK), maxH = GetSystemMetrics(SM_CYMAXTRACK);
  const int minW = GetSystemMetrics(SM_CXMINTRACK), minH = GetSystemMetrics(SM_CYMINTRACK);
  // The screen with a sizing frame around it, and room for a caption.
  EXPECT_TRUE(maxW > 1024 && maxW <= 1024 + 64 && maxH > 768 && maxH <= 768 + 64) << maxW << "x" << maxH;
  EXPECT_TRUE(minW >= 100 && minW <= 200 && minH >= 20 && minH <= 60) << minW << "x" << minH;
  auto both = [](int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h) + ", X " + std::to_string(w) + "x" + std::to_string(h);
  };

  // A width from a settings file that no screen has.
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 276447231, 480);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ClientSize(window), both(maxW, 480));
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, 1, -5, SWP_NOREDRAW));
  EXPECT_EQ(ClientSize(window), both(minW, minH));
  seen.clear();
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, 100000, 100000, SWP_NOREDRAW));
  ASSERT_EQ(SeenOf(WM_SIZE).size(), 1u);
  EXPECT_EQ(SeenOf(WM_SIZE)[0].lParam, MAKELPARAM(maxW, maxH));

  // A sizing border holds a popup too; a bare popup, as a full-screen
  // window is, takes any size.
  HWND sizable = MakeWindow(WS_POPUP | WS_THICKFRAME, 0, 0, 5000, 10);
  EXPECT_EQ(ClientSize(sizable), both(maxW, minH));
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, maxW + 100, 20, SWP_NOREDRAW));
  EXPECT_EQ(ClientSize(window), both(maxW + 100, 20));
  DestroyWindow(sizable);
  DestroyWindow(window);
}

TEST(WindowX, DestroyedWindowIsGoneWithItsMessages) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_USER, 0, 0);
  ASSERT_EQ(SetTimer(window, 1, 10, nullptr), 1u);
  seen.clear();
  bool liveDuringDestroy = false;
  support::handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) liveDuringDestroy = IsWindow(w);
    return std::nullopt;
  };
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(liveDuringDestroy);
  EXPECT_EQ(SeenOf(WM_DESTROY).size(), 1u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_EQ(GetDC(window), nullptr);

  seen.clear();
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  support::PumpFor(100ms);
  for (const auto& s : seen) EXPECT_NE(s.window, window) << "its posted message and timer went with it";
}

TEST(WindowX, CloseGoesThroughTheDefaultProcedureToDestroy) {
  e2e::XSession x;
  // Closes a fresh window one way; gives what its procedure was given.
  auto close = [](const std::function<void(HWND)>& how) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
    seen.clear();
    how(window);
    support::PumpUntil("the window to be destroyed", [&] { return !IsWindow(window); });
    return Kinds({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY});
  };
  EXPECT_EQ(close([](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }),
            (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));

  // The window manager's close button, and Alt+F4 as a key message: the
  // default procedure posts SC_CLOSE, whose default handling sends WM_CLOSE.
  const std::vector<UINT> byCommand{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY};
  EXPECT_EQ(close([&](HWND w) { x.RequestClose(support::XWindow(w)); }), byCommand);
  EXPECT_EQ(support::ParamsOf(WM_SYSCOMMAND), std::vector<WPARAM>{SC_CLOSE});
  MSG altF4{};
  altF4.message = WM_SYSKEYDOWN;
  altF4.wParam = VK_F4;
  altF4.lParam = 0x203E0001;
  EXPECT_EQ(close([&](HWND w) {
              altF4.hwnd = w;
              DispatchMessageA(&altF4);
              EXPECT_TRUE(IsWindow(w)) << "posted, not sent";
            }),
            byCommand);
  EXPECT_EQ(support::ParamsOf(WM_SYSCOMMAND), std::vector<WPARAM>{SC_CLOSE});

  // F4 without Alt closes nothing.
  altF4.hwnd = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  altF4.lParam = 0x003E0001;
  DispatchMessageA(&altF4);
  support::PumpFor(50ms);
  EXPECT_TRUE(IsWindow(altF4.hwnd));
}

TEST(WindowX, WindowManagersMaximiseComesAsSystemCommandThenSizeUnlessTheProgramKeepsIt) {
  e2e::XSession x;
  HWND taken = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  HWND kept = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  ASSERT_TRUE(taken && kept);
  support::PumpFor(50ms);
  seen.clear();
  TraceFile trace;
  // The 3D game's procedure beeps on SC_MAXIMIZE, then leaves it to the
  // default procedure; the other window's keeps every system command.
  support::handler = [&](HWND w, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_SYSCOMMAND) return std::nullopt;
    if (w == kept) return 0;
    if (wParam == SC_MAXIMIZE) MessageBeep(0);
    return std::nullopt;
  };
  xserver::Maximise(x, support::XWindow(kept));
  xserver::Maximise(x, support::XWindow(taken), 1024, 740);
  support::PumpUntil("the maximised size", [&] {
    auto sizes = Of(taken, WM_SIZE);
    return !sizes.empty() && sizes.back().wParam == SIZE_MAXIMIZED &&
           sizes.back().lParam == MAKELPARAM(1024, 740);
  });
  support::PumpUntil("the other window's command", [&] { return !Of(kept, WM_SYSCOMMAND).empty(); });
  support::PumpFor(100ms);

  // One command, and before the size change it stands for.
  std::vector<WPARAM> steps;  // system commands, and SIZE_MAXIMIZED for each maximised size
  for (const auto& s : seen) {
    if (s.window == taken && s.message == WM_SYSCOMMAND) steps.push_back(s.wParam);
    if (s.window == taken && s.message == WM_SIZE && s.wParam == SIZE_MAXIMIZED)
      steps.push_back(SIZE_MAXIMIZED);
  }
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps[0], static_cast<WPARAM>(SC_MAXIMIZE));
  EXPECT_EQ(std::count(steps.begin(), steps.end(), SIZE_MAXIMIZED), std::ssize(steps) - 1) << "one command";
  EXPECT_TRUE(GetWindowLongA(taken, GWL_STYLE) & WS_MAXIMIZE);
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{"MessageBeep 0"});

  EXPECT_EQ(Of(kept, WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_MAXIMIZE));
  for (const auto& s : Of(kept, WM_SIZE)) EXPECT_NE(s.wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  EXPECT_FALSE(GetWindowLongA(kept, GWL_STYLE) & WS_MAXIMIZE);
}

TEST(WindowX, SystemCommandsFromTheProgramChangeTheState) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  seen.clear();
  SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZE);
  ASSERT_FALSE(SeenOf(WM_SIZE).empty());
  EXPECT_EQ(SeenOf(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  EXPECT_EQ(SeenOf(WM_SYSCOMMAND).size(), 1u) << "no second command for a change the program asked for";
}

TEST(DisplayModeX, OnlyAnOfferedModeMakesTheCoveringPopupFullScreenUntilRestored) {
  TraceFile trace;
  // The 3D game's full-screen start, step by step.
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  SetWindowPos(window, HWND_TOP, 0, 0, 1024, 768, SWP_NOREDRAW);
  ShowWindow(window, SW_SHOW);
  HWND framed = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1024, 768);
  ASSERT_NE(framed, nullptr);
  auto fullScreen = [](HWND w) {
    return (SDL_GetWindowFlags(support::HostWindow(w)) & SDL_WINDOW_FULLSCREEN) != 0;
  };

  DEVMODEA small = Mode(800, 600, 16), depth24 = Mode(1024, 768, 24), mode = Mode(1024, 768, 32);
  EXPECT_EQ(ChangeDisplaySettingsA(&small, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  EXPECT_EQ(ChangeDisplaySettingsA(&depth24, CDS_FULLSCREEN), DISP_CHANGE_BADMODE)
      << "X's depth 24 is Windows' 32 bits per pixel";
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN | 2 /* CDS_TEST */), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(fullScreen(window)) << "refused modes and a test change nothing";
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);

  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(fullScreen(window));
  EXPECT_FALSE(fullScreen(framed)) << "a framed window does not cover the display";
  SDL_DisplayMode shown{};
  ASSERT_EQ(SDL_GetWindowDisplayMode(support::HostWindow(window), &shown), 0);
  EXPECT_TRUE(shown.w == 1024 && shown.h == 768) << shown.w << "x" << shown.h;
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_TRUE(client.right == 1024 && client.bottom == 768) << client.right << "x" << client.bottom;

  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(fullScreen(window));
  EXPECT_EQ(trace.Lines(),
            (std::vector<std::string>{
                "ChangeDisplaySettingsA 800x600x16 4 -> -2", "ChangeDisplaySettingsA 1024x768x24 4 -> -2",
                "ChangeDisplaySettingsA 1024x768x32 6 -> 0", "ChangeDisplaySettingsA 1024x768x32 4 -> 0",
                "ChangeDisplaySettingsA NULL 4 -> 0"}));
}

}  // namespace
