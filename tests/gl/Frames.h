// The frames the picture comparison looks at, as the frame programs leave
// them in their folder: each window picture in a binary PPM file named
// after the frame, and the frames' names in order in frames.txt.
#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "Image.h"
#include "XSession.h"

namespace frames {

// The window's picture once it has stayed the same a moment, as <name>.ppm.
inline void Save(e2e::XSession& x, e2e::WindowId w, const std::string& name) {
  const e2e::Image image = x.WaitForStableImage(w, std::chrono::milliseconds(150), std::chrono::seconds(10));
  std::ofstream out(name + ".ppm", std::ios::binary);
  out << "P6\n" << image.Width() << " " << image.Height() << "\n255\n";
  out.write(reinterpret_cast<const char*>(image.Bytes().data()),
            static_cast<std::streamsize>(image.Bytes().size()));
  std::ofstream(std::string("frames.txt"), std::ios::app) << name << "\n";
}

inline e2e::Image Load(const std::string& bytes) {
  int width = 0, height = 0, ignored = 0;
  int header = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &ignored, &header) != 3 ||
      bytes.size() != static_cast<size_t>(header) + 1 + static_cast<size_t>(width) * height * 3)
    throw std::runtime_error("not a frame");
  e2e::Image image(width, height);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + header + 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, p += 3) image.Set(x, y, {p[0], p[1], p[2]});
  return image;
}

}  // namespace frames
