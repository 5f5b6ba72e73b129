#include "WindowState.h"

#include <gtest/gtest.h>

namespace {

using namespace winlayer;

TEST(WindowState, ChangesByTheWindowManagerComeAsSystemCommandsFirst) {
  HostView normal{ShowState::Normal, 640, 480};
  HostView maximized{ShowState::Maximized, 1024, 740};

  SizeNotice n = DiffWindowState(normal, maximized, std::nullopt);
  EXPECT_EQ(n.sysCommand, static_cast<UINT>(SC_MAXIMIZE));
  EXPECT_TRUE(n.sendSize);
  EXPECT_EQ(n.sizeType, static_cast<WPARAM>(SIZE_MAXIMIZED));
  EXPECT_EQ(n.sizeParam, MAKELPARAM(1024, 740));

  n = DiffWindowState(maximized, normal, std::nullopt);
  EXPECT_EQ(n.sysCommand, static_cast<UINT>(SC_RESTORE));
  EXPECT_EQ(n.sizeType, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(n.sizeParam, MAKELPARAM(640, 480));

  n = DiffWindowState(normal, HostView{ShowState::Minimized, 640, 480}, std::nullopt);
  EXPECT_EQ(n.sysCommand, static_cast<UINT>(SC_MINIMIZE));
  EXPECT_TRUE(n.sendSize);
  EXPECT_EQ(n.sizeType, static_cast<WPARAM>(SIZE_MINIMIZED));
  EXPECT_EQ(n.sizeParam, 0) << "a minimised window has a client area of 0 by 0";
}

TEST(WindowState, WhatTheProgramAskedForNeedsNoCommand) {
  HostView normal{ShowState::Normal, 640, 480};
  SizeNotice n = DiffWindowState(normal, HostView{ShowState::Maximized, 1024, 740}, ShowState::Maximized);
  EXPECT_EQ(n.sysCommand, 0u);
  EXPECT_TRUE(n.sendSize);
  EXPECT_EQ(n.sizeType, static_cast<WPARAM>(SIZE_MAXIMIZED));
}

TEST(WindowState, SizeAloneOrNothing) {
  HostView normal{ShowState::Normal, 640, 480};
  SizeNotice same = DiffWindowState(normal, normal, std::nullopt);
  EXPECT_EQ(same.sysCommand, 0u);
  EXPECT_FALSE(same.sendSize);

  SizeNotice resized = DiffWindowState(normal, HostView{ShowState::Normal, 800, 600}, std::nullopt);
  EXPECT_EQ(resized.sysCommand, 0u);
  EXPECT_TRUE(resized.sendSize);
  EXPECT_EQ(resized.sizeType, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(resized.sizeParam, MAKELPARAM(800, 600));

  // While minimised, the host's idea of the size does not matter.
  HostView minimized{ShowState::Minimized, 640, 480};
  EXPECT_FALSE(DiffWindowState(minimized, HostView{ShowState::Minimized, 10, 10}, std::nullopt).sendSize);
}

}  // namespace
