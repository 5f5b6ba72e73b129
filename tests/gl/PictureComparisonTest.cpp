// The two programs' frames drawn through the system's OpenGL 1.1 (the
// native build's frame programs) and through the layer's subset over
// OpenGL ES 2 (this build's), from the same pictures and the same states,
// compared pixel by pixel.
//
// Both are drawn by Mesa's llvmpipe, so the edges of every primitive fall
// on the same pixels; what may differ is the last bit of arithmetic in the
// lighting and the texture blending (sums in another order, the normal
// matrix inverted another way), which moves a channel by a level or two.
// No pixel may differ by more than kTolerance in any channel.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "App.h"
#include "Frames.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kTolerance = 2;

struct Drawn {
  std::vector<std::string> names;
  std::vector<e2e::Image> images;
};

// The frames a build's frame program draws in a folder that `prepare` fills.
Drawn DrawFrames(const fs::path& build, const std::string& program,
                 const std::function<void(e2e::App&)>& prepare) {
  e2e::App app(build / "tests/gl" / (program + "Frames"), program + "Frames.exe");
  prepare(app);
  app.Start();
  const e2e::ExitStatus status = app.WaitForExit(60s);
  if (!(status == e2e::ExitStatus::Code(0)))
    throw std::runtime_error(app.Name() + " ended with " + status.Describe() + ": " + app.Stderr());
  Drawn drawn;
  std::istringstream names(app.ReadFile("frames.txt"));
  for (std::string name; std::getline(names, name);) {
    drawn.names.push_back(name);
    drawn.images.push_back(frames::Load(app.ReadFile(name + ".ppm")));
  }
  return drawn;
}

// For EXPECT_TRUE: every pixel of the subset's frame is within the
// tolerance of the reference's. Both are saved for a look when not.
::testing::AssertionResult Alike(const std::string& name, const e2e::Image& reference,
                                 const e2e::Image& drawn) {
  if (reference.Width() != drawn.Width() || reference.Height() != drawn.Height())
    return ::testing::AssertionFailure() << name << ": sizes differ";
  int count = 0;
  std::ostringstream first;
  for (int y = 0; y < reference.Height(); ++y) {
    for (int x = 0; x < reference.Width(); ++x) {
      if (e2e::Near(reference.At(x, y), drawn.At(x, y), kTolerance)) continue;
      if (count++ < 5) first << " (" << x << "," << y << ") " << reference.At(x, y) << "/" << drawn.At(x, y);
    }
  }
  if (count == 0) return ::testing::AssertionSuccess();
  const fs::path kept = fs::temp_directory_path() / "picture-comparison";
  e2e::SavePng(reference, kept / (name + "-opengl.png"));
  e2e::SavePng(drawn, kept / (name + "-es2.png"));
  return ::testing::AssertionFailure()
         << name << ": " << count << " pixels differ by more than " << kTolerance
         << " levels, among them (OpenGL/ES 2)" << first.str() << "; both in " << kept.string();
}

void ExpectAlike(const Drawn& reference, const Drawn& drawn) {
  ASSERT_EQ(reference.names, drawn.names);
  ASSERT_FALSE(drawn.names.empty());
  for (size_t i = 0; i < drawn.names.size(); ++i)
    EXPECT_TRUE(Alike(drawn.names[i], reference.images[i], drawn.images[i]));
}

// A 24-bit picture of the given size sampled from a game picture, whose
// corner (the key colour) stays where it is: sides no power of two, which
// the mipmaps' scaling has to bring to one.
std::string Resampled(const std::string& bmp, int width, int height) {
  auto field = [&](int offset) {
    int32_t v;
    std::memcpy(&v, bmp.data() + offset, 4);
    return v;
  };
  const int w = field(18), h = field(22), offset = field(10), row = (w * 3 + 3) & ~3;
  std::string out(54, '\0');
  auto put = [&](int at, int32_t v) { std::memcpy(out.data() + at, &v, 4); };
  out[0] = 'B';
  out[1] = 'M';
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, height);
  out[26] = 1;
  out[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.append(bmp, offset + y * h / height * row + x * w / width * 3, 3);
    out.append(static_cast<size_t>((4 - width * 3 % 4) % 4), '\0');
  }
  put(2, static_cast<int32_t>(out.size()));
  return out;
}

TEST(PictureComparison, GamesFramesMatchThoseOfOpenGL) {
  const fs::path pictures = fs::path(ES2_BUILD_DIR) / "dist/Game";
  auto prepare = [&](e2e::App& app) {
    for (const char* name : {"1.bmp", "4.bmp", "5.bmp", "6.bmp", "arrow.bmp"})
      app.WriteFile(name, testsupport::ReadBytes(pictures / name));
    // Kind 1's picture of sides that are no power of two; kind 2's missing.
    app.WriteFile("2.bmp", Resampled(testsupport::ReadBytes(pictures / "2.bmp"), 52, 37));
  };
  const Drawn reference = DrawFrames(NATIVE_BUILD_DIR, "Game", prepare);
  ExpectAlike(reference, DrawFrames(ES2_BUILD_DIR, "Game", prepare));
}

TEST(PictureComparison, TesselsFramesMatchThoseOfOpenGL) {
  auto prepare = [](e2e::App& app) { app.WriteFile("рекорды.txt", testsupport::LeadersFrom(5000)); };
  const Drawn reference = DrawFrames(NATIVE_BUILD_DIR, "Tessel", prepare);
  ExpectAlike(reference, DrawFrames(ES2_BUILD_DIR, "Tessel", prepare));
}

TEST(PictureComparison, TheSubsetsFramesBeyondTheProgramsMatchThoseOfOpenGL) {
  const Drawn reference = DrawFrames(NATIVE_BUILD_DIR, "Subset", [](e2e::App&) {});
  ExpectAlike(reference, DrawFrames(ES2_BUILD_DIR, "Subset", [](e2e::App&) {}));
}

}  // namespace
