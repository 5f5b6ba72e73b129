// GlyphProbe.exe: the glyphs of the screen font as this system makes them,
// for the tests that check the screen's texts: Arial of 16 pixels, 8 wide,
// bold, as the game asks for it, and the same face at normal weight, whose
// strokes are thinner. The glyph bitmaps are the ones the font lists take.
// One line per character code 32..127 on standard output:
//   code advance left width bold-pixels normal-pixels
// with advance, left and width those of the bold glyph: the pen movement,
// the pen position to its first lit column and the columns from there to
// its last lit one; and the number of lit pixels of each weight.
#include <windows.h>

#include <cstdio>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Measured {
  int advance = 0, left = 0, width = 0, pixels = 0;
};

bool Measure(HDC dc, HFONT font, UINT code, Measured& glyph) {
  HGDIOBJ previous = SelectObject(dc, font);
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GLYPHMETRICS metrics{};
  // The size first: a glyph without pixels (the space) has no bitmap to ask
  // for.
  const DWORD size = GetGlyphOutlineA(dc, code, GGO_BITMAP, &metrics, 0, nullptr, &identity);
  std::vector<unsigned char> bits(size == GDI_ERROR ? 0 : size);
  const bool ok = size != GDI_ERROR && (size == 0 || GetGlyphOutlineA(dc, code, GGO_BITMAP, &metrics, size,
                                                                      bits.data(), &identity) == size);
  SelectObject(dc, previous);
  if (!ok) return false;
  glyph.advance = metrics.gmCellIncX;
  // Rows from the top, padded to 32-bit words.
  const UINT pitch = (metrics.gmBlackBoxX + 31) / 32 * 4;
  int first = -1, last = -1;
  for (UINT row = 0; size != 0 && row < metrics.gmBlackBoxY; ++row) {
    for (UINT x = 0; x < metrics.gmBlackBoxX; ++x) {
      if (!(bits[row * pitch + x / 8] >> (7 - x % 8) & 1)) continue;
      ++glyph.pixels;
      if (first < 0 || static_cast<int>(x) < first) first = static_cast<int>(x);
      if (static_cast<int>(x) > last) last = static_cast<int>(x);
    }
  }
  glyph.left = metrics.gmptGlyphOrigin.x + (first < 0 ? 0 : first);
  glyph.width = first < 0 ? 0 : last - first + 1;
  return true;
}

HFONT Arial(int weight) {
  return CreateFontA(16, 8, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "arial");
}

}  // namespace

int main() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // A device context needs a window; this one is never shown.
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "GlyphProbe";
  if (RegisterClassExA(&windowClass) == 0) return 1;
  HWND window = CreateWindowExA(0, "GlyphProbe", "GlyphProbe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  HDC dc = GetDC(window);
  HFONT bold = Arial(FW_BOLD), normal = Arial(FW_NORMAL);
  for (UINT code = 32; code < 128; ++code) {
    Measured b, n;
    if (!Measure(dc, bold, code, b) || !Measure(dc, normal, code, n)) return 2;
    std::printf("%u %d %d %d %d %d\n", code, b.advance, b.left, b.width, b.pixels, n.pixels);
  }
  std::fflush(stdout);
  DeleteObject(bold);
  DeleteObject(normal);
  ReleaseDC(window, dc);
  DestroyWindow(window);
  return 0;
}
