// GlyphProbe.exe: the metrics of the glyphs of Tessel's screen font as this
// system draws them, for the tests that check the screen's texts: taken as
// the font lists take them, with the glyph's bitmap. One line
// per character code 32..127 on standard output: "code advance left width",
// with left the pen position to the glyph's first column and width its
// number of columns.
#include <windows.h>

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "_OGL.h"

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
  HFONT font = CreateScreenFont();
  HGDIOBJ previous = SelectObject(dc, font);

  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  for (UINT code = 32; code < 128; ++code) {
    GLYPHMETRICS metrics{};
    if (GetGlyphOutlineA(dc, code, GGO_BITMAP, &metrics, 0, nullptr, &identity) == GDI_ERROR) return 2;
    std::printf("%u %d %ld %u\n", code, metrics.gmCellIncX, static_cast<long>(metrics.gmptGlyphOrigin.x),
                metrics.gmBlackBoxX);
  }
  std::fflush(stdout);
  SelectObject(dc, previous);
  DeleteObject(font);
  ReleaseDC(window, dc);
  DestroyWindow(window);
  return 0;
}
