// Windows under a bare X server (no window manager, so no frames): creation,
// sizes, styles, caption, painting, closing, the window manager's maximise,
// and display modes.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Cp1251.h"
#include "LayerSupport.h"
#include "TraceFile.h"
#include "XServer.h"

namespace {

using support::MakeWindow;
using support::seen;
using support::SeenOf;

std::vector<UINT> Kinds(std::initializer_list<UINT> wanted) {
  std::vector<UINT> kinds;
  for (const auto& s : seen) {
    if (std::find(wanted.begin(), wanted.end(), s.message) != wanted.end()) kinds.push_back(s.message);
  }
  return kinds;
}

TEST(WindowX, CreationSendsCreateThenSizeAndTheClientIsTheOuterSizeWithoutFrames) {
  seen.clear();
  bool liveDuringCreate = false;
  support::handler = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) liveDuringCreate = IsWindow(window);
    return std::nullopt;
  };
  int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 350 / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 500 / 2;
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);

  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, 350, 500);
  support::handler = nullptr;
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(liveDuringCreate);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(Kinds({WM_CREATE, WM_SIZE}), (std::vector<UINT>{WM_CREATE, WM_SIZE}));
  auto sizes = SeenOf(WM_SIZE);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(350, 500));

  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 350);
  EXPECT_EQ(client.bottom, 500);
  SDL_Window* host = support::HostWindow(window);
  int w = 0, h = 0, hx = 0, hy = 0;
  SDL_GetWindowSize(host, &w, &h);
  SDL_GetWindowPosition(host, &hx, &hy);
  EXPECT_EQ(w, 350);
  EXPECT_EQ(h, 500);
  EXPECT_EQ(hx, x);
  EXPECT_EQ(hy, y);
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_RESIZABLE) << "WS_THICKFRAME";
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_HIDDEN) << "no WS_VISIBLE";
  EXPECT_TRUE(SDL_GetWindowFlags(host) & SDL_WINDOW_OPENGL);
}

TEST(WindowX, CreateRefusedByTheProcedureDestroysTheWindow) {
  seen.clear();
  support::handler = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) return -1;
    return std::nullopt;
  };
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
  support::handler = nullptr;
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(Kinds({WM_CREATE, WM_SIZE, WM_DESTROY}), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(seen[0].window));
}

TEST(WindowX, CaptionsTravelInWindows1251AndShowAsUtf8) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, "Gemora  от Vardelin"_cp);
  ASSERT_NE(window, nullptr);
  SDL_Window* host = support::HostWindow(window);
  EXPECT_STREQ(SDL_GetWindowTitle(host), "Gemora  от Vardelin");

  ASSERT_TRUE(SetWindowTextA(window, "FPS: 60 — кадров"_cp));
  char text[64];
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 16);
  EXPECT_STREQ(text, "FPS: 60 — кадров"_cp);
  EXPECT_EQ(GetWindowTextA(window, text, 4), 3) << "cut to the buffer, zero included";
  EXPECT_STREQ(text, "FPS");
  EXPECT_EQ(xserver::Title(xserver::WindowOf(host)), "FPS: 60 — кадров");
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
  support::PumpFor(100);
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
  auto sizes = SeenOf(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(800, 600));
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW));
  EXPECT_TRUE(IsWindow(window));
  int w = 0, h = 0;
  SDL_GetWindowSize(host, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_FALSE(SDL_GetWindowFlags(host) & SDL_WINDOW_HIDDEN);
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
  support::handler = nullptr;
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
  support::PumpFor(100);
  for (const auto& s : seen) EXPECT_NE(s.window, window) << "its posted message and timer went with it";
}

TEST(WindowX, CloseGoesThroughTheDefaultProcedureToDestroy) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  ASSERT_NE(window, nullptr);
  seen.clear();
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(support::PumpUntil([&] { return !IsWindow(window); }));
  EXPECT_EQ(Kinds({WM_CLOSE, WM_DESTROY}), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));

  // Alt+F4 as a key message: the default procedure posts SC_CLOSE, whose
  // default handling sends WM_CLOSE.
  window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  seen.clear();
  MSG altF4{};
  altF4.hwnd = window;
  altF4.message = WM_SYSKEYDOWN;
  altF4.wParam = VK_F4;
  altF4.lParam = 0x203E0001;
  DispatchMessageA(&altF4);
  EXPECT_TRUE(IsWindow(window)) << "posted, not sent";
  ASSERT_TRUE(support::PumpUntil([&] { return !IsWindow(window); }));
  EXPECT_EQ(Kinds({WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}),
            (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(SeenOf(WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_CLOSE));

  // The window manager's close button: the same system command.
  window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  seen.clear();
  xserver::RequestClose(xserver::WindowOf(support::HostWindow(window)));
  ASSERT_TRUE(support::PumpUntil([&] { return !IsWindow(window); }));
  EXPECT_EQ(Kinds({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}),
            (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(SeenOf(WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_CLOSE));

  // F4 without Alt closes nothing.
  window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  altF4.hwnd = window;
  altF4.lParam = 0x003E0001;
  DispatchMessageA(&altF4);
  support::PumpFor(50);
  EXPECT_TRUE(IsWindow(window));
}

TEST(WindowX, WindowManagersMaximiseComesAsSystemCommandThenSize) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  support::PumpFor(50);
  seen.clear();
  TraceFile trace;
  // The 3D game's procedure: a beep on SC_MAXIMIZE, then the default handling.
  support::handler = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_SYSCOMMAND && wParam == SC_MAXIMIZE) MessageBeep(0);
    return std::nullopt;
  };
  unsigned long x = xserver::WindowOf(support::HostWindow(window));
  xserver::Resize(x, 1024, 740);
  xserver::SetNetWmState(x, {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
  bool maximised = support::PumpUntil([&] {
    auto sizes = SeenOf(WM_SIZE);
    return !sizes.empty() && sizes.back().wParam == SIZE_MAXIMIZED &&
           sizes.back().lParam == MAKELPARAM(1024, 740);
  });
  support::handler = nullptr;
  ASSERT_TRUE(maximised);
  auto commands = SeenOf(WM_SYSCOMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, static_cast<WPARAM>(SC_MAXIMIZE));
  // The command came before the size change it stands for.
  auto firstCommand =
      std::find_if(seen.begin(), seen.end(), [](auto& s) { return s.message == WM_SYSCOMMAND; });
  auto firstMaxSize = std::find_if(
      seen.begin(), seen.end(), [](auto& s) { return s.message == WM_SIZE && s.wParam == SIZE_MAXIMIZED; });
  EXPECT_LT(firstCommand - seen.begin(), firstMaxSize - seen.begin());
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZE);
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{"MessageBeep 0"});
}

TEST(WindowX, ProgramThatKeepsTheMaximiseCommandKeepsItsWindow) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  support::PumpFor(50);
  seen.clear();
  support::handler = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_SYSCOMMAND) return 0;  // never reaches the default procedure
    return std::nullopt;
  };
  xserver::SetNetWmState(xserver::WindowOf(support::HostWindow(window)),
                         {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
  bool asked = support::PumpUntil([] { return !SeenOf(WM_SYSCOMMAND).empty(); });
  support::PumpFor(100);
  support::handler = nullptr;
  ASSERT_TRUE(asked);
  EXPECT_EQ(SeenOf(WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_MAXIMIZE));
  for (const auto& s : SeenOf(WM_SIZE)) EXPECT_NE(s.wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZE);
}

TEST(WindowX, SystemCommandsFromTheProgramChangeTheState) {
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  seen.clear();
  SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZE);
  auto sizes = SeenOf(WM_SIZE);
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  EXPECT_EQ(SeenOf(WM_SYSCOMMAND).size(), 1u) << "no second command for a change the program asked for";
}

DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmBitsPerPel = bits;
  return mode;
}

TEST(DisplayModeX, ModesTheDisplayLacksAreRefusedAndChangeNothing) {
  TraceFile trace;
  HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 0, 0, 800, 600);
  ASSERT_NE(window, nullptr);
  DEVMODEA small = Mode(800, 600, 16);
  EXPECT_EQ(ChangeDisplaySettingsA(&small, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  DEVMODEA depth24 = Mode(1024, 768, 24);
  EXPECT_EQ(ChangeDisplaySettingsA(&depth24, CDS_FULLSCREEN), DISP_CHANGE_BADMODE)
      << "X's depth 24 is Windows' 32 bits per pixel";
  EXPECT_FALSE(SDL_GetWindowFlags(support::HostWindow(window)) & SDL_WINDOW_FULLSCREEN);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"ChangeDisplaySettingsA 800x600x16 4 -> -2",
                                                     "ChangeDisplaySettingsA 1024x768x24 4 -> -2",
                                                     "ChangeDisplaySettingsA NULL 4 -> 0"}));
}

TEST(DisplayModeX, AnOfferedModeMakesTheCoveringPopupFullScreenUntilRestored) {
  TraceFile trace;
  // The 3D game's full-screen start, step by step.
  HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 640, 480);
  ASSERT_NE(window, nullptr);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  SetWindowPos(window, HWND_TOP, 0, 0, 1024, 768, SWP_NOREDRAW);
  ShowWindow(window, SW_SHOW);
  HWND framed = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1024, 768);
  ASSERT_NE(framed, nullptr);

  DEVMODEA mode = Mode(1024, 768, 32);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN | 2 /* CDS_TEST */), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(SDL_GetWindowFlags(support::HostWindow(window)) & SDL_WINDOW_FULLSCREEN)
      << "a test changes nothing";

  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(SDL_GetWindowFlags(support::HostWindow(window)) & SDL_WINDOW_FULLSCREEN);
  EXPECT_FALSE(SDL_GetWindowFlags(support::HostWindow(framed)) & SDL_WINDOW_FULLSCREEN)
      << "a framed window does not cover the display";
  SDL_DisplayMode shown{};
  ASSERT_EQ(SDL_GetWindowDisplayMode(support::HostWindow(window), &shown), 0);
  EXPECT_EQ(shown.w, 1024);
  EXPECT_EQ(shown.h, 768);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 1024);
  EXPECT_EQ(client.bottom, 768);

  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(SDL_GetWindowFlags(support::HostWindow(window)) & SDL_WINDOW_FULLSCREEN);
  EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"ChangeDisplaySettingsA 1024x768x32 6 -> 0",
                                                     "ChangeDisplaySettingsA 1024x768x32 4 -> 0",
                                                     "ChangeDisplaySettingsA NULL 4 -> 0"}));
}

}  // namespace
