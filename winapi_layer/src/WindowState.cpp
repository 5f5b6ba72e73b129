#include "WindowState.h"

namespace winlayer {

UINT SysCommandFor(ShowState state) {
  switch (state) {
    case ShowState::Minimized:
      return SC_MINIMIZE;
    case ShowState::Maximized:
      return SC_MAXIMIZE;
    case ShowState::Normal:
      break;
  }
  return SC_RESTORE;
}

SizeNotice DiffWindowState(const HostView& known, const HostView& now, std::optional<ShowState> requested) {
  SizeNotice notice;
  bool stateChanged = now.state != known.state;
  if (stateChanged && requested != now.state) notice.sysCommand = SysCommandFor(now.state);

  bool sizeChanged = now.clientWidth != known.clientWidth || now.clientHeight != known.clientHeight;
  // A minimised window has no client area; its size matters again when it
  // comes back, and coming back is a change of state.
  notice.sendSize = stateChanged || (now.state != ShowState::Minimized && sizeChanged);
  switch (now.state) {
    case ShowState::Minimized:
      notice.sizeType = SIZE_MINIMIZED;
      notice.sizeParam = 0;
      break;
    case ShowState::Maximized:
      notice.sizeType = SIZE_MAXIMIZED;
      notice.sizeParam = MAKELPARAM(now.clientWidth, now.clientHeight);
      break;
    case ShowState::Normal:
      notice.sizeType = SIZE_RESTORED;
      notice.sizeParam = MAKELPARAM(now.clientWidth, now.clientHeight);
      break;
  }
  return notice;
}

}  // namespace winlayer
