// Display modes and screen metrics.
//
// SDL changes the display mode only for a full-screen window, so a mode
// set by ChangeDisplaySettingsA takes effect through the window that
// covers the screen in it: a visible popup window at 0, 0 of the mode's
// size goes full screen in that mode, and leaves it when it stops covering
// the screen or the desktop mode comes back.
#include <SDL2/SDL.h>
#include <windows.h>

#include <cstdlib>
#include <optional>

#include "DisplayModes.h"
#include "Process.h"
#include "Trace.h"
#include "Video.h"
#include "WindowRecord.h"

namespace {

using winlayer::HostMode;

std::optional<HostMode> activeMode;  // the mode set, until the desktop mode comes back
bool exitHooked = false;

std::vector<HostMode> HostModes() {
  std::vector<HostMode> modes;
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(HostMode{m.w, m.h, m.format, m.refresh_rate});
  }
  return modes;
}

HostMode DesktopMode() {
  SDL_DisplayMode m{};
  SDL_GetDesktopDisplayMode(0, &m);
  return HostMode{m.w, m.h, m.format, m.refresh_rate};
}

HostMode CurrentMode() { return activeMode ? *activeMode : DesktopMode(); }

void RestoreDesktop() {
  activeMode.reset();
  for (WindowRecord* w : winlayer::LiveWindows()) winlayer::UpdateFullscreen(*w);
}

// Whatever way the process ends, the display is left in the desktop mode.
void RestoreAtExit() {
  if (activeMode && winlayer::VideoStarted()) RestoreDesktop();
}

LONG ChangeMode(DEVMODEA* mode) {
  if (mode == nullptr) {
    if (activeMode) RestoreDesktop();
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (!winlayer::StartVideo()) return DISP_CHANGE_FAILED;
  // A page offers the mode asked for, if usual, in place of the display's.
  std::vector<HostMode> modes;
  if (winlayer::HostChangesModes()) {
    modes = HostModes();
  } else if (auto offered = winlayer::OfferedPageMode(static_cast<int>(mode->dmPelsWidth),
                                                      static_cast<int>(mode->dmPelsHeight),
                                                      static_cast<int>(mode->dmBitsPerPel))) {
    modes = {*offered};
  }
  auto found = winlayer::FindMode(modes, static_cast<int>(mode->dmPelsWidth),
                                  static_cast<int>(mode->dmPelsHeight), static_cast<int>(mode->dmBitsPerPel));
  if (!found) return DISP_CHANGE_BADMODE;
  activeMode = modes[*found];
  if (!exitHooked) {
    exitHooked = true;
    winlayer::AtProcessExit(RestoreAtExit);
    std::atexit(RestoreAtExit);
  }
  for (WindowRecord* w : winlayer::LiveWindows()) winlayer::UpdateFullscreen(*w);
  return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

namespace winlayer {

void UpdateFullscreen(WindowRecord& w) {
  if (!w.alive || w.sdl == nullptr) return;
  bool covers = activeMode && w.visible && !Framed(w.style) && w.x == 0 && w.y == 0 &&
                w.width == activeMode->width && w.height == activeMode->height;
  if (!HostChangesModes()) {
    // The window keeps its size; the page scales its picture to the screen.
    if (covers != w.fullscreen) ShowFullScreenInPage(covers);
    w.fullscreen = covers;
    return;
  }
  if (covers) {
    if (w.fullscreen && w.fullscreenWidth == activeMode->width && w.fullscreenHeight == activeMode->height &&
        w.fullscreenFormat == activeMode->format) {
      return;
    }
    SDL_DisplayMode m{activeMode->format, activeMode->width, activeMode->height, activeMode->refreshRate,
                      nullptr};
    if (SDL_SetWindowDisplayMode(w.sdl, &m) == 0 &&
        SDL_SetWindowFullscreen(w.sdl, SDL_WINDOW_FULLSCREEN) == 0) {
      w.fullscreen = true;
      w.fullscreenWidth = m.w;
      w.fullscreenHeight = m.h;
      w.fullscreenFormat = m.format;
    }
  } else if (w.fullscreen) {
    SDL_SetWindowFullscreen(w.sdl, 0);
    w.fullscreen = false;
  }
}

}  // namespace winlayer

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  LONG result = ChangeMode(mode);
  if (mode == nullptr) {
    winlayer::TraceLine("ChangeDisplaySettingsA NULL %u -> %d", flags, result);
  } else {
    winlayer::TraceLine("ChangeDisplaySettingsA %ux%ux%u %u -> %d", mode->dmPelsWidth, mode->dmPelsHeight,
                        mode->dmBitsPerPel, flags, result);
  }
  return result;
}

// The tracking sizes bound the outer size of a window that has a sizing
// border or is an overlapped one. The values are Windows' own at 96 dots
// per inch: the smallest is what a caption with its buttons needs (136 by
// 39); the largest is the screen (here the one screen, in its current
// mode) with a sizing frame of 8 pixels (the 4 of the sizing border and 4
// of padding) on either side.
constexpr int kMinTrackWidth = 136;
constexpr int kMinTrackHeight = 39;
constexpr int kSizingFrame = 8;

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return winlayer::StartVideo() ? CurrentMode().width : 0;
    case SM_CYSCREEN:
      return winlayer::StartVideo() ? CurrentMode().height : 0;
    case SM_CXMINTRACK:
      return kMinTrackWidth;
    case SM_CYMINTRACK:
      return kMinTrackHeight;
    case SM_CXMAXTRACK:
      return winlayer::StartVideo() ? CurrentMode().width + 2 * kSizingFrame : 0;
    case SM_CYMAXTRACK:
      return winlayer::StartVideo() ? CurrentMode().height + 2 * kSizingFrame : 0;
    default:
      return 0;
  }
}
