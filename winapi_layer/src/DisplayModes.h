// Display modes as ChangeDisplaySettingsA sees them. The host lists modes
// by SDL pixel format; Windows counts bits per pixel by storage, so 8-bit
// RGB in four-byte pixels (X's depth 24) is a 32-bit mode.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace winlayer {

struct HostMode {
  int width = 0;
  int height = 0;
  uint32_t format = 0;  // SDL_PixelFormatEnum
  int refreshRate = 0;  // 0: unknown
};

int WindowsBitsPerPixel(uint32_t sdlFormat);

// The index of the host mode that has exactly the size and the bits per
// pixel asked for (the 3D game names all three); nothing when the display
// offers no such mode.
std::optional<size_t> FindMode(const std::vector<HostMode>& modes, int width, int height, int bitsPerPixel);

// Whether the host changes the display's mode for a window that covers the
// screen, as a desktop does (X11Host.cpp). A page cannot: it offers every
// usual mode a program asks for, leaves the display as it is, and the
// browser shows the covering window full screen, scaled to fill it
// (browser/PageWindow.cpp).
bool HostChangesModes();

// Where the host does not: asks the page to show the window full screen,
// or no longer; the page does so at the player's next click. (A desktop has
// no page: there it does nothing.)
void ShowFullScreenInPage(bool on);

// The mode a page offers for a program's request: the size asked for at 8,
// 16, 24 or 32 bits per pixel; nothing for other depths or an empty size.
std::optional<HostMode> OfferedPageMode(int width, int height, int bitsPerPixel);

}  // namespace winlayer
