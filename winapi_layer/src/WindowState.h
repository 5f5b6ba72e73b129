// What a window procedure hears when the host changes a window: the
// system command that Windows would have run first (a maximise by the
// window manager is, on Windows, WM_SYSCOMMAND SC_MAXIMIZE handled by the
// default procedure) and WM_SIZE with the new client size.
#pragma once

#include <windows.h>

#include <optional>

namespace winlayer {

enum class ShowState { Normal, Minimized, Maximized };

struct HostView {
  ShowState state = ShowState::Normal;
  int clientWidth = 0;
  int clientHeight = 0;
};

struct SizeNotice {
  UINT sysCommand = 0;  // SC_MAXIMIZE, SC_MINIMIZE or SC_RESTORE to send first; 0 for none
  bool sendSize = false;
  WPARAM sizeType = SIZE_RESTORED;
  LPARAM sizeParam = 0;  // client width and height; 0 by 0 when minimised
};

// From the state the program knows to the state the host now shows.
// requested is the state the layer itself asked the host for (by
// ShowWindow or the default procedure): reaching it needs no system
// command, since the program already made that choice.
SizeNotice DiffWindowState(const HostView& known, const HostView& now, std::optional<ShowState> requested);

UINT SysCommandFor(ShowState state);

}  // namespace winlayer
