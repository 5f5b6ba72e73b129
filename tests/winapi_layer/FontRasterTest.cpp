// Glyph bitmaps of GDI font requests, without OpenGL.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "FontRaster.h"

namespace {

using winlayer::FontRasterizer;
using winlayer::GlyphBitmap;

std::unique_ptr<FontRasterizer> Arial(int height, int width, int weight = FW_BOLD, bool italic = false) {
  auto font = FontRasterizer::Open({height, width, weight, italic, 0, "arial"});
  EXPECT_NE(font, nullptr);
  return font;
}

// GDI's average character width: small letters and space weighted by how
// often they occur in English.
double AverageAdvance(const FontRasterizer& font) {
  const int weights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                           56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
  double sum = 0;
  for (int i = 0; i < 27; ++i) sum += weights[i] * font.Render(i < 26 ? U'a' + i : U' ').advance;
  return sum / 1000;
}

int LitInRow(const GlyphBitmap& glyph, int row) {
  int lit = 0;
  for (int x = 0; x < glyph.width; ++x) lit += glyph.Lit(x, row);
  return lit;
}

TEST(FontRaster, ArialPicksASansFaceOfTheRequestedStyle) {
  auto bold = Arial(16, 8), regular = Arial(16, 8, FW_NORMAL), italic = Arial(16, 8, FW_NORMAL, true);
  ASSERT_TRUE(bold && regular && italic);
  EXPECT_TRUE(bold->Bold());
  EXPECT_FALSE(bold->Italic());
  EXPECT_NE(bold->FamilyName().find("Sans"), std::string::npos) << bold->FamilyName();
  EXPECT_EQ(bold->FamilyName().find("Mono"), std::string::npos) << bold->FamilyName();
  EXPECT_FALSE(regular->Bold());
  EXPECT_TRUE(italic->Italic());
  EXPECT_NE(FontRasterizer::Open({16, 0, 0, false, 0, "No Such Face"}), nullptr);  // some face, as on Windows
}

TEST(FontRaster, SizedByCellHeightOrEmAndByAverageWidth) {
  auto font = Arial(16, 8);
  ASSERT_TRUE(font);
  EXPECT_NEAR(font->CellHeight(), 16, 1);
  EXPECT_NEAR(AverageAdvance(*font), 8, 0.75);
  EXPECT_GT(font->Render(U'W').advance, font->Render(U'i').advance);
  EXPECT_GT(font->Render(U'W').width, font->Render(U'i').width);
  for (char32_t c = 33; c < 127; ++c) {  // every glyph inside its cell, give or take a pixel
    GlyphBitmap glyph = font->Render(c);
    EXPECT_GT(glyph.LitCount(), 0) << char(c);
    EXPECT_LE(glyph.bottom + glyph.rows, font->Ascent() + 1) << char(c);
    EXPECT_GE(glyph.bottom, -font->Descent() - 1) << char(c);
  }
  GlyphBitmap space = font->Render(U' ');
  EXPECT_EQ(space.LitCount(), 0);
  EXPECT_GT(space.advance, 0);

  auto em = Arial(-16, 0), cell = Arial(16, 0), fallback = Arial(0, 0), wide = Arial(16, 16);
  ASSERT_TRUE(em && cell && fallback && wide);
  EXPECT_GE(em->CellHeight(), 17);  // the em is less than the cell
  EXPECT_GT(em->Render(U'H').rows, cell->Render(U'H').rows);
  EXPECT_NEAR(fallback->CellHeight(), 16, 1);
  EXPECT_NEAR(AverageAdvance(*wide), 16, 1.5);  // the width scales x alone
  EXPECT_EQ(wide->Render(U'H').rows, font->Render(U'H').rows);
}

TEST(FontRaster, BitmapsRunBottomUpFromTheBaseLine) {
  auto font = Arial(16, 8);
  ASSERT_TRUE(font);
  GlyphBitmap t = font->Render(U'T');
  ASSERT_GT(t.rows, 4);
  EXPECT_EQ(t.bottom, 0);                                  // stands on the base line
  EXPECT_GT(LitInRow(t, t.rows - 1), 2 * LitInRow(t, 0));  // bar on top
  GlyphBitmap l = font->Render(U'L');
  EXPECT_TRUE(l.Lit(0, l.rows - 1));  // stem on the left
  EXPECT_FALSE(l.Lit(l.width - 1, l.rows - 1));
  EXPECT_LT(font->Render(U'p').bottom, 0);  // descender below the line
}

TEST(FontRaster, CharacterCodesAreWindows1251) {
  auto font = Arial(16, 8);
  ASSERT_TRUE(font);
  auto same = [&](unsigned code, char32_t cp) {
    GlyphBitmap a = font->RenderCode(code), b = font->Render(cp);
    return a.bits == b.bits && a.advance == b.advance && a.left == b.left && a.bottom == b.bottom;
  };
  EXPECT_TRUE(same(0xC0, U'\u0410'));  // А, not À
  EXPECT_FALSE(same(0xC0, U'\u00C0'));
  EXPECT_TRUE(same(0xB9, U'\u2116'));  // №
  EXPECT_GT(font->RenderCode(0xC6).LitCount(), 0);
  EXPECT_EQ(font->RenderCode(0x141).advance, 0);  // not a byte: nothing
}

TEST(FontRaster, WeightAndSlantThatAFaceLacksAreMadeUp) {
  // Needs a family that comes in one style only.
  for (const char* family : {"Droid Sans Fallback", "D050000L"}) {
    auto plain = FontRasterizer::Open({16, 0, FW_NORMAL, false, 0, family});
    if (!plain || plain->FamilyName() != family || plain->Bold()) continue;
    auto bold = FontRasterizer::Open({16, 0, FW_BOLD, false, 0, family});
    auto slanted = FontRasterizer::Open({16, 0, FW_NORMAL, true, 0, family});
    ASSERT_TRUE(bold && slanted);
    EXPECT_TRUE(bold->Bold() && slanted->Italic());
    char32_t probe = std::string(family) == "D050000L" ? U'\u2660' : U'\u4E2D';
    EXPECT_GT(bold->Render(probe).LitCount(), plain->Render(probe).LitCount());
    EXPECT_NE(slanted->Render(probe).bits, plain->Render(probe).bits);
    return;
  }
  GTEST_SKIP() << "no single-style family installed";
}

}  // namespace
