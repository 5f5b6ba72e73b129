// wglUseFontBitmapsA: one bitmap display list per character, made from the
// glyphs of the font selected into the device context.
// windows.h before GL/gl.h, as in the games: it sets APIENTRY.
#include <windows.h>
#include <GL/gl.h>

#include <cstdint>

#include "FontRaster.h"
#include "Gdi.h"

BOOL wglUseFontBitmapsA(HDC dc, DWORD first, DWORD count, DWORD listBase) {
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Without a current context GL answers nothing at all.
  if (!glGetString(GL_VERSION)) return FALSE;
  if (count == 0) return TRUE;
  // List 0 is no list; nor may the names run past the last one.
  if (listBase == 0 || listBase + (count - 1) < listBase) return FALSE;

  const GdiObjectRecord* font = winlayer::CurrentFont(dc);
  winlayer::FontRequest request{font->height, font->width,          font->weight,
                                font->italic, font->pitchAndFamily, font->faceName};
  auto raster = winlayer::FontRasterizer::Open(request);
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
