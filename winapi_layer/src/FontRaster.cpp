#include "FontRaster.h"

#include <windows.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Cp1251.h"
#include "FontChoice.h"

namespace winlayer {

namespace {

constexpr int kDefaultCellHeight = 16;  // what a height of 0 asks for
constexpr int kSemiBold = 600;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

// The face's ascent and descent in font units: the Windows metrics of the
// OS/2 table where there are any, else the horizontal header's.
void CellMetrics(FT_Face face, double& ascent, double& descent) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else if (hhea && hhea->Ascender - hhea->Descender > 0) {
    ascent = hhea->Ascender;
    descent = -hhea->Descender;
  } else {
    ascent = face->ascender;
    descent = -face->descender;
  }
  if (ascent + descent <= 0) {
    ascent = face->units_per_EM;
    descent = 0;
  }
}

// The face's average character width in font units, by the classic
// definition: the advances of the small letters and the space, weighted by
// how often they occur in English text. The core Windows faces carry this
// value in their OS/2 tables; faces that stand in for them match them in
// these advances but not in the table, whose newer definition averages
// every glyph. A face without those characters gives its table's value.
double AverageWidth(FT_Face face) {
  static const int kWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                   56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
  double sum = 0;
  for (int i = 0; i < 27; ++i) {
    FT_UInt index = FT_Get_Char_Index(face, i < 26 ? U'a' + i : U' ');
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) {
      sum = -1;
      break;
    }
    sum += kWeights[i] * static_cast<double>(face->glyph->metrics.horiAdvance);
  }
  if (sum > 0) return sum / 1000;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  return os2 && os2->version != 0xFFFF ? os2->xAvgCharWidth : 0;
}

// Sizes the face as GDI does: the height names the cell (ascent +
// descent); a width scales x on its own so that the average character
// width comes out at that many pixels.
void SizeFace(FT_Face face, const FontRequest& request, int& ascent, int& descent) {
  double units = face->units_per_EM;
  double cellAscent = 0, cellDescent = 0;
  CellMetrics(face, cellAscent, cellDescent);
  double cell = cellAscent + cellDescent;
  double emY =
      std::max(1.0, std::round((request.height > 0 ? request.height : kDefaultCellHeight) * units / cell));
  double emX = emY;
  double average = request.width > 0 ? AverageWidth(face) : 0;
  if (average > 0) emX = std::max(1.0, request.width * units / average);
  FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(emX * 64)), static_cast<FT_F26Dot6>(emY * 64),
                   72, 72);
  FT_Fixed yScale = face->size->metrics.y_scale;
  ascent = static_cast<int>(std::lround(FT_MulFix(static_cast<FT_Long>(cellAscent), yScale) / 64.0));
  descent = static_cast<int>(std::lround(FT_MulFix(static_cast<FT_Long>(cellDescent), yScale) / 64.0));
}

}  // namespace

int GlyphBitmap::LitCount() const {
  int lit = 0;
  for (int row = 0; row < rows; ++row) {
    for (int x = 0; x < width; ++x) lit += Lit(x, row);
  }
  return lit;
}

std::unique_ptr<FontRasterizer> FontRasterizer::Open(const FontRequest& request) {
  FaceChoice choice;
  if (!Library() || !ChooseFace(request, choice)) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), choice.file.c_str(), choice.index, &face) != 0) return nullptr;
  std::unique_ptr<FontRasterizer> font(new FontRasterizer);
  font->face_ = face;
  if (!FT_IS_SCALABLE(face)) return nullptr;
  font->file_ = choice.file;
  font->family_ = choice.family.empty() && face->family_name ? face->family_name : choice.family;
  // Like GDI, make up the weight that the face lacks.
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  bool boldFace = os2 && os2->version != 0xFFFF ? os2->usWeightClass >= kSemiBold
                                                : (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  font->emboldened_ = request.weight >= kSemiBold && !boldFace;
  SizeFace(face, request, font->ascent_, font->descent_);
  return font;
}

FontRasterizer::~FontRasterizer() {
  if (face_) FT_Done_Face(face_);
}

bool FontRasterizer::Bold() const { return emboldened_ || (face_->style_flags & FT_STYLE_FLAG_BOLD); }

GlyphBitmap FontRasterizer::Render(char32_t codePoint) const {
  GlyphBitmap glyph;
  FT_UInt index = FT_Get_Char_Index(face_, codePoint);
  if (FT_Load_Glyph(face_, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return glyph;
  FT_GlyphSlot slot = face_->glyph;
  if (emboldened_) FT_GlyphSlot_Embolden(slot);
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (bitmap.width == 0 || bitmap.rows == 0 || !(mono || bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)) {
    return glyph;
  }
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.left = slot->bitmap_left;
  glyph.bottom = slot->bitmap_top - glyph.rows;
  glyph.bits.assign(static_cast<std::size_t>(glyph.RowBytes()) * glyph.rows, 0);
  // FreeType's rows run top-down from the top row, whichever way they lie
  // in memory; ours run bottom-up.
  const unsigned char* top = bitmap.buffer;
  if (bitmap.pitch < 0) top -= static_cast<std::ptrdiff_t>(bitmap.pitch) * (glyph.rows - 1);
  for (int fromTop = 0; fromTop < glyph.rows; ++fromTop) {
    const unsigned char* source = top + static_cast<std::ptrdiff_t>(bitmap.pitch) * fromTop;
    unsigned char* target =
        &glyph.bits[static_cast<std::size_t>(glyph.rows - 1 - fromTop) * glyph.RowBytes()];
    for (int x = 0; x < glyph.width; ++x) {
      bool lit = mono ? (source[x / 8] >> (7 - x % 8)) & 1 : source[x] >= 128;
      if (lit) target[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
  }
  return glyph;
}

GlyphBitmap FontRasterizer::RenderCode(unsigned code) const {
  if (code > 0xFF) return {};
  return Render(cp1251::ToCodePoint(static_cast<unsigned char>(code)));
}

}  // namespace winlayer
