#include "DisplayModes.h"

#include <SDL2/SDL_pixels.h>
#include <gtest/gtest.h>

#include "TestKit.h"

namespace {

using namespace winlayer;

TEST(DisplayModes, BitsAreCountedByStorageAsWindowsCountsThem) {
  // X's depth 24 comes in four-byte pixels: 32 bits for Windows.
  const std::pair<uint32_t, int> formats[] = {{SDL_PIXELFORMAT_RGB888, 32}, {SDL_PIXELFORMAT_ARGB8888, 32},
                                              {SDL_PIXELFORMAT_RGB24, 24},  {SDL_PIXELFORMAT_RGB565, 16},
                                              {SDL_PIXELFORMAT_RGB555, 16}, {SDL_PIXELFORMAT_INDEX8, 8}};
  for (auto [format, bits] : formats) EXPECT_EQ(WindowsBitsPerPixel(format), bits) << std::hex << format;
}

TEST(DisplayModes, OnlyAnExactModeMatches) {
  std::vector<HostMode> monitor = {
      {1920, 1080, SDL_PIXELFORMAT_RGB888, 60},
      {800, 600, SDL_PIXELFORMAT_RGB565, 75},
      {800, 600, SDL_PIXELFORMAT_RGB888, 60},
  };
  EXPECT_EQ(FindMode(monitor, RequestFrom(Mode(800, 600, 32), monitor[0])), 2u);
  EXPECT_EQ(FindMode(monitor, RequestFrom(Mode(800, 600, 16), monitor[0])), 1u);
  EXPECT_FALSE(FindMode(monitor, RequestFrom(Mode(800, 600, 24), monitor[0])));
  EXPECT_FALSE(FindMode(monitor, RequestFrom(Mode(1920, 600, 32), monitor[0])));
  EXPECT_FALSE(FindMode(monitor, RequestFrom(Mode(800, 1080, 32), monitor[0])));

  DEVMODEA withRate = Mode(800, 600, 32);
  withRate.dmFields |= DM_DISPLAYFREQUENCY;
  withRate.dmDisplayFrequency = 75;
  EXPECT_FALSE(FindMode(monitor, RequestFrom(withRate, monitor[0])));
  withRate.dmDisplayFrequency = 1;  // the hardware's default
  EXPECT_EQ(FindMode(monitor, RequestFrom(withRate, monitor[0])), 2u);
}

TEST(DisplayModes, FieldsNotNamedKeepTheCurrentMode) {
  HostMode current{1920, 1080, SDL_PIXELFORMAT_RGB888, 60};
  DEVMODEA mode = Mode(800, 600, 16);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  ModeRequest r = RequestFrom(mode, current);
  EXPECT_TRUE(r.width == 800 && r.height == 600) << r.width << "x" << r.height;
  EXPECT_EQ(r.bitsPerPixel, 32) << "bits per pixel not named: the current depth";

  mode.dmFields = DM_BITSPERPEL;
  r = RequestFrom(mode, current);
  EXPECT_TRUE(r.width == 1920 && r.height == 1080) << r.width << "x" << r.height;
  EXPECT_EQ(r.bitsPerPixel, 16);
}

}  // namespace
