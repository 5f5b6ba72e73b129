#include "WindowState.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace winlayer;

// The system command (0 for none), whether WM_SIZE goes, its type and lParam.
using Notice = std::tuple<UINT, bool, WPARAM, LPARAM>;

Notice Diff(HostView known, HostView now, std::optional<ShowState> requested = std::nullopt) {
  SizeNotice n = DiffWindowState(known, now, requested);
  return {n.sysCommand, n.sendSize, n.sizeType, n.sizeParam};
}

const HostView normal{ShowState::Normal, 640, 480};
const HostView maximized{ShowState::Maximized, 1024, 740};
const HostView minimized{ShowState::Minimized, 640, 480};

TEST(WindowState, ChangesByTheWindowManagerComeAsSystemCommandsFirst) {
  EXPECT_EQ(Diff(normal, maximized), (Notice{SC_MAXIMIZE, true, SIZE_MAXIMIZED, MAKELPARAM(1024, 740)}));
  EXPECT_EQ(Diff(maximized, normal), (Notice{SC_RESTORE, true, SIZE_RESTORED, MAKELPARAM(640, 480)}));
  EXPECT_EQ(Diff(normal, minimized), (Notice{SC_MINIMIZE, true, SIZE_MINIMIZED, 0}))
      << "a minimised window has a client area of 0 by 0";
  // What the program asked for needs no command.
  EXPECT_EQ(Diff(normal, maximized, ShowState::Maximized),
            (Notice{0, true, SIZE_MAXIMIZED, MAKELPARAM(1024, 740)}));
}

TEST(WindowState, SizeAloneOrNothing) {
  EXPECT_EQ(Diff(normal, HostView{ShowState::Normal, 800, 600}),
            (Notice{0, true, SIZE_RESTORED, MAKELPARAM(800, 600)}));
  Notice same = Diff(normal, normal);
  EXPECT_TRUE(std::get<0>(same) == 0 && !std::get<1>(same));
  // While minimised, the host's idea of the size does not matter.
  EXPECT_FALSE(std::get<bool>(Diff(minimized, HostView{ShowState::Minimized, 10, 10})));
}

}  // namespace
