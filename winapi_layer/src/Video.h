// The host's display, started on first need.
#pragma once

#include <windows.h>

namespace winlayer {

// GetLastError after a window could not be made because no display could
// be opened (no X server, or none that SDL can use): ERROR_NOT_SUPPORTED,
// "the request is not supported" on this host.
constexpr DWORD kNoDisplayError = ERROR_NOT_SUPPORTED;

// Starts SDL's video on the first call; true while a display is there.
// A failed start is not tried again.
bool StartVideo();

// Whether StartVideo has succeeded (without trying it).
bool VideoStarted();

// Sets the OpenGL attributes of the one pixel format every window is made
// with: double-buffered RGB, 8 bits a channel, no alpha, a depth buffer of
// depthBits, and the kind of context the programs' OpenGL needs
// (RequestGlContext).
void SetWindowFormat(int depthBits);

}  // namespace winlayer
