// wglUseFontBitmapsA: one bitmap display list per character, made from the
// glyphs of the font selected into the device context.
// windows.h before GL/gl.h, as in the games: it sets APIENTRY.
#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "FontRaster.h"
#include "Gdi.h"

namespace {

std::unique_ptr<winlayer::FontRasterizer> OpenSelectedFont(HDC dc) {
  const GdiObjectRecord* font = winlayer::CurrentFont(dc);
  winlayer::FontRequest request{font->height, font->width, font->weight, font->faceName};
  return winlayer::FontRasterizer::Open(request);
}

}  // namespace

BOOL wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD listBase) {
  auto raster = OpenSelectedFont(dc);
  if (!raster) return FALSE;

  // Errors still pending are not ours; clear them so that ours show.
  for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
  }
  // The bitmaps are copied into the lists while compiling, under the
  // unpack state of that moment: make it the one our bitmaps are laid out
  // for, and give the caller back its own.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  static const GLubyte kNoPixels = 0;
  bool ok = true;
  for (DWORD i = 0; i < count && ok; ++i) {
    uint64_t code = static_cast<uint64_t>(first) + i;
    winlayer::GlyphBitmap glyph = raster->RenderCode(code > 0xFF ? 0x100u : static_cast<unsigned>(code));
    glNewList(listBase + i, GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, static_cast<GLfloat>(-glyph.left), static_cast<GLfloat>(-glyph.bottom),
             static_cast<GLfloat>(glyph.advance), 0.0f, glyph.bits.empty() ? &kNoPixels : glyph.bits.data());
    glEndList();
    ok = glGetError() == GL_NO_ERROR;
  }
  glPopClientAttrib();
  return ok ? TRUE : FALSE;
}

// The metrics of a glyph, and the size of its bitmap, which a buffer of
// that size then receives: rows from the top, each padded to whole 32-bit
// words, the leftmost pixel in the top bit of the first byte.
DWORD GetGlyphOutlineA(HDC dc, UINT character, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize,
                       LPVOID buffer, const MAT2* matrix) {
  if ((format != GGO_METRICS && format != GGO_BITMAP) || metrics == nullptr || matrix == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return GDI_ERROR;
  }
  auto raster = OpenSelectedFont(dc);
  if (!raster) return GDI_ERROR;
  // A single-byte character; as on Windows, a glyph without pixels (the
  // space) has a box of 1 by 1 and a bitmap of no bytes.
  const winlayer::GlyphBitmap glyph = raster->RenderCode(character & 0xFFu);
  metrics->gmBlackBoxX = static_cast<UINT>(glyph.width > 0 ? glyph.width : 1);
  metrics->gmBlackBoxY = static_cast<UINT>(glyph.rows > 0 ? glyph.rows : 1);
  metrics->gmptGlyphOrigin.x = glyph.left;
  metrics->gmptGlyphOrigin.y = glyph.bottom + glyph.rows;
  metrics->gmCellIncX = static_cast<short>(glyph.advance);
  metrics->gmCellIncY = 0;
  if (format == GGO_METRICS) return 0;
  const size_t pitch = static_cast<size_t>(glyph.width + 31) / 32 * 4;
  const size_t size = glyph.bits.empty() ? 0 : pitch * static_cast<size_t>(glyph.rows);
  if (buffer == nullptr || bufferSize == 0) return static_cast<DWORD>(size);
  // As on Windows, a glyph without pixels has no bitmap to fetch.
  if (size == 0 || bufferSize < size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return GDI_ERROR;
  }
  auto* out = static_cast<unsigned char*>(buffer);
  std::memset(out, 0, size);
  for (int row = 0; row < glyph.rows; ++row) {
    std::memcpy(out + static_cast<size_t>(glyph.rows - 1 - row) * pitch,
                glyph.bits.data() + static_cast<size_t>(row) * glyph.RowBytes(), glyph.RowBytes());
  }
  return static_cast<DWORD>(size);
}
