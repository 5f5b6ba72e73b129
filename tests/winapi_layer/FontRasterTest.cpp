// Glyph bitmaps of GDI font requests, without OpenGL.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "FontRaster.h"

namespace {

using winlayer::FontRasterizer;
using winlayer::GlyphBitmap;

// The 2D game's screen font: "arial", bold, a cell of 16 pixels and 8 wide.
std::unique_ptr<FontRasterizer> ScreenFont() { return FontRasterizer::Open({16, 8, FW_BOLD, "arial"}); }

// GDI's average character width: small letters and space weighted by how
// often they occur in English.
double AverageAdvance(const FontRasterizer& font) {
  const int weights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                           56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
  double sum = 0;
  for (int i = 0; i < 27; ++i) sum += weights[i] * font.RenderCode(i < 26 ? 'a' + i : ' ').advance;
  return sum / 1000;
}

int LitInRow(const GlyphBitmap& glyph, int row) {
  int lit = 0;
  for (int x = 0; x < glyph.width; ++x) lit += glyph.Lit(x, row);
  return lit;
}

TEST(FontRaster, TheGamesArialIsABoldSansFaceOfItsCellHeightAndAverageWidth) {
  auto font = ScreenFont();
  ASSERT_TRUE(font);
  EXPECT_TRUE(font->Bold());
  EXPECT_NE(font->FamilyName().find("Sans"), std::string::npos) << font->FamilyName();
  EXPECT_EQ(font->FamilyName().find("Mono"), std::string::npos) << font->FamilyName();
  EXPECT_NEAR(font->CellHeight(), 16, 1);
  EXPECT_NEAR(AverageAdvance(*font), 8, 0.75);
}

TEST(FontRaster, BitmapsRunBottomUpFromTheBaseLineAndLeftToRight) {
  auto font = ScreenFont();
  ASSERT_TRUE(font);
  GlyphBitmap t = font->RenderCode('T');
  ASSERT_GT(t.rows, 4);
  EXPECT_EQ(t.bottom, 0);                                  // stands on the base line
  EXPECT_GT(LitInRow(t, t.rows - 1), 2 * LitInRow(t, 0));  // bar on top
  GlyphBitmap l = font->RenderCode('L');
  EXPECT_TRUE(l.Lit(0, l.rows - 1));  // stem on the left
  EXPECT_FALSE(l.Lit(l.width - 1, l.rows - 1));
  EXPECT_LT(font->RenderCode('p').bottom, 0);  // descender below the line
}

// Large enough that a stroke made thicker lights more pixels, in faces of
// a tall cell too.
constexpr int kCell = 48;

// A family whose bold is its plain face made bolder (a bold request gets the
// plain face's file), and of the first 256 characters in that face's map
// the one whose glyph lights most pixels; the families by name, so that
// every run takes the same.
struct SingleStyle {
  std::string family;
  char32_t code = 0;
};

std::optional<SingleStyle> FindSingleStyle() {
  if (!FcInit()) return std::nullopt;
  std::map<std::string, int> indexOfFile;
  std::set<std::string> families;
  FcPattern* outlines = FcPatternBuild(nullptr, FC_OUTLINE, FcTypeBool, FcTrue, nullptr);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, nullptr);
  FcFontSet* faces = FcFontList(nullptr, outlines, objects);
  for (int i = 0; faces && i < faces->nfont; ++i) {
    FcChar8 *family = nullptr, *file = nullptr;
    int index = 0;
    FcPatternGetInteger(faces->fonts[i], FC_INDEX, 0, &index);
    if (FcPatternGetString(faces->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch)
      families.insert(reinterpret_cast<const char*>(family));
    if (FcPatternGetString(faces->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
      indexOfFile[reinterpret_cast<const char*>(file)] = index;
  }
  if (faces) FcFontSetDestroy(faces);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(outlines);

  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return std::nullopt;
  std::optional<SingleStyle> found;
  for (const std::string& family : families) {
    auto plain = FontRasterizer::Open({kCell, 0, FW_NORMAL, family});
    auto bold = FontRasterizer::Open({kCell, 0, FW_BOLD, family});
    FT_Face face = nullptr;
    if (!plain || !bold || plain->FamilyName() != family || plain->Bold() ||
        bold->FilePath() != plain->FilePath() ||
        FT_New_Face(library, plain->FilePath().c_str(), indexOfFile[plain->FilePath()], &face) != 0)
      continue;
    FT_UInt glyph = 0;
    int most = 0;
    FT_ULong code = FT_Get_First_Char(face, &glyph);
    for (int i = 0; i < 256 && glyph != 0; ++i, code = FT_Get_Next_Char(face, code, &glyph)) {
      const int lit = plain->Render(static_cast<char32_t>(code)).LitCount();
      if (lit <= most) continue;
      most = lit;
      found = SingleStyle{family, static_cast<char32_t>(code)};
    }
    FT_Done_Face(face);
    if (found) break;
  }
  FT_Done_FreeType(library);
  return found;
}

// Like GDI, a bold request of such a family gets its glyphs made bolder.
TEST(FontRaster, ABoldThatAFaceLacksIsMadeUp) {
  const auto single = FindSingleStyle();
  if (!single) GTEST_SKIP() << "no family without a bold face is installed";
  std::ostringstream chosen;
  chosen << single->family << " U+" << std::hex << std::uppercase << static_cast<uint32_t>(single->code);
  RecordProperty("chosen", chosen.str());
  auto plain = FontRasterizer::Open({kCell, 0, FW_NORMAL, single->family});
  auto bold = FontRasterizer::Open({kCell, 0, FW_BOLD, single->family});
  ASSERT_TRUE(plain && bold);
  EXPECT_TRUE(bold->Bold());
  EXPECT_GT(bold->Render(single->code).LitCount(), plain->Render(single->code).LitCount()) << chosen.str();
}

}  // namespace
