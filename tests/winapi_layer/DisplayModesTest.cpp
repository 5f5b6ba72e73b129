#include "DisplayModes.h"

#include <SDL2/SDL_pixels.h>
#include <gtest/gtest.h>

namespace {

using namespace winlayer;

DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmBitsPerPel = bits;
  return mode;
}

TEST(DisplayModes, BitsAreCountedByStorageAsWindowsCountsThem) {
  EXPECT_EQ(WindowsBitsPerPixel(SDL_PIXELFORMAT_RGB888), 32) << "X's depth 24 in four-byte pixels";
  EXPECT_EQ(WindowsBitsPerPixel(SDL_PIXELFORMAT_ARGB8888), 32);
  EXPECT_EQ(WindowsBitsPerPixel(SDL_PIXELFORMAT_RGB24), 24);
  EXPECT_EQ(WindowsBitsPerPixel(SDL_PIXELFORMAT_RGB565), 16);
  EXPECT_EQ(WindowsBitsPerPixel(SDL_PIXELFORMAT_RGB555), 16);
  EXPECT_EQ(WindowsBitsPerPixel(SDL_PIXELFORMAT_INDEX8), 8);
}

TEST(DisplayModes, OnlyAnExactModeMatches) {
  // What Xvfb's 1024x768 screen of depth 24 offers.
  std::vector<HostMode> xvfb = {{1024, 768, SDL_PIXELFORMAT_RGB888, 0}};
  HostMode current = xvfb[0];
  EXPECT_EQ(FindMode(xvfb, RequestFrom(Mode(1024, 768, 32), current)), 0u);
  EXPECT_FALSE(FindMode(xvfb, RequestFrom(Mode(1024, 768, 24), current)));
  EXPECT_FALSE(FindMode(xvfb, RequestFrom(Mode(800, 600, 16), current)));
  EXPECT_FALSE(FindMode(xvfb, RequestFrom(Mode(800, 600, 32), current)));

  std::vector<HostMode> monitor = {
      {1920, 1080, SDL_PIXELFORMAT_RGB888, 60},
      {800, 600, SDL_PIXELFORMAT_RGB565, 75},
      {800, 600, SDL_PIXELFORMAT_RGB888, 60},
  };
  EXPECT_EQ(FindMode(monitor, RequestFrom(Mode(800, 600, 32), monitor[0])), 2u);
  EXPECT_EQ(FindMode(monitor, RequestFrom(Mode(800, 600, 16), monitor[0])), 1u);

  DEVMODEA withRate = Mode(800, 600, 32);
  withRate.dmFields |= DM_DISPLAYFREQUENCY;
  withRate.dmDisplayFrequency = 75;
  EXPECT_FALSE(FindMode(monitor, RequestFrom(withRate, monitor[0])));
  withRate.dmDisplayFrequency = 1;  // the hardware's default
  EXPECT_EQ(FindMode(monitor, RequestFrom(withRate, monitor[0])), 2u);
}

TEST(DisplayModes, FieldsNotNamedKeepTheCurrentMode) {
  HostMode current{1920, 1080, SDL_PIXELFORMAT_RGB888, 60};
  DEVMODEA onlySize = Mode(800, 600, 16);
  onlySize.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  ModeRequest r = RequestFrom(onlySize, current);
  EXPECT_EQ(r.width, 800);
  EXPECT_EQ(r.height, 600);
  EXPECT_EQ(r.bitsPerPixel, 32) << "bits per pixel not named: the current depth";

  DEVMODEA onlyDepth = Mode(800, 600, 16);
  onlyDepth.dmFields = DM_BITSPERPEL;
  r = RequestFrom(onlyDepth, current);
  EXPECT_EQ(r.width, 1920);
  EXPECT_EQ(r.height, 1080);
  EXPECT_EQ(r.bitsPerPixel, 16);
}

}  // namespace
