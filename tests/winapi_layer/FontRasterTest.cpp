// Glyph bitmaps of GDI font requests, without OpenGL.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "Cp1251.h"
#include "FontRaster.h"

namespace {

using winlayer::FontRasterizer;
using winlayer::FontRequest;
using winlayer::GlyphBitmap;

FontRequest Arial(int height, int width, int weight = FW_BOLD, bool italic = false) {
  return FontRequest{height, width, weight, italic, 0, "arial"};
}

std::unique_ptr<FontRasterizer> Open(const FontRequest& request) {
  auto font = FontRasterizer::Open(request);
  EXPECT_NE(font, nullptr) << "no face for " << request.faceName;
  return font;
}

// GDI's average character width: small letters and space, weighted by
// their frequency in English.
double AverageAdvance(const FontRasterizer& font) {
  const int weights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                           56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
  double sum = 0;
  for (int i = 0; i < 27; ++i) sum += weights[i] * font.Render(i < 26 ? U'a' + i : U' ').advance;
  return sum / 1000;
}

int HighestRow(const GlyphBitmap& glyph) { return glyph.bottom + glyph.rows; }

int LitInRow(const GlyphBitmap& glyph, int row) {
  int lit = 0;
  for (int x = 0; x < glyph.width; ++x) lit += glyph.Lit(x, row);
  return lit;
}

TEST(FontRaster, ArialBoldIsABoldSansAndRegularIsNot) {
  auto bold = Open(Arial(16, 8));
  ASSERT_TRUE(bold);
  EXPECT_TRUE(bold->Bold());
  EXPECT_FALSE(bold->Italic());
  EXPECT_NE(bold->FamilyName().find("Sans"), std::string::npos) << bold->FamilyName();
  EXPECT_EQ(bold->FamilyName().find("Mono"), std::string::npos) << bold->FamilyName();
  auto regular = Open(Arial(16, 8, FW_NORMAL));
  ASSERT_TRUE(regular);
  EXPECT_FALSE(regular->Bold());
  EXPECT_NE(regular->FilePath(), bold->FilePath());
  auto italic = Open(Arial(16, 8, FW_NORMAL, true));
  ASSERT_TRUE(italic);
  EXPECT_TRUE(italic->Italic());
  // A face that does not exist still gives some face, as on Windows.
  EXPECT_NE(FontRasterizer::Open(FontRequest{16, 0, 0, false, 0, "No Such Face At All"}), nullptr);
}

TEST(FontRaster, CellHeightAndAverageWidthFollowTheRequest) {
  auto font = Open(Arial(16, 8));
  ASSERT_TRUE(font);
  EXPECT_NEAR(font->CellHeight(), 16, 1);
  EXPECT_GT(font->Ascent(), 3 * font->Descent());
  EXPECT_NEAR(AverageAdvance(*font), 8, 0.75);
  GlyphBitmap w = font->Render(U'W'), i = font->Render(U'i');
  EXPECT_GT(w.advance, i.advance);
  EXPECT_GT(w.width, i.width);
  // Every printable glyph stays within the cell, give or take a pixel.
  for (char32_t c = 33; c < 127; ++c) {
    GlyphBitmap glyph = font->Render(c);
    EXPECT_GT(glyph.LitCount(), 0) << static_cast<char>(c);
    EXPECT_LE(HighestRow(glyph), font->Ascent() + 1) << static_cast<char>(c);
    EXPECT_GE(glyph.bottom, -font->Descent() - 1) << static_cast<char>(c);
  }
  // Digits share one width, as in the faces they stand in for.
  for (char32_t d = U'1'; d <= U'9'; ++d) EXPECT_EQ(font->Render(d).advance, font->Render(U'0').advance);

  // A negative height is the em, so the cell comes out taller.
  auto em = Open(Arial(-16, 0));
  auto cell = Open(Arial(16, 0));
  ASSERT_TRUE(em && cell);
  EXPECT_GE(em->CellHeight(), 17);
  EXPECT_GT(em->Render(U'H').rows, cell->Render(U'H').rows);
  // Height 0 is a usable default size.
  auto fallback = Open(Arial(0, 0));
  ASSERT_TRUE(fallback);
  EXPECT_NEAR(fallback->CellHeight(), 16, 1);
  // The width scales x alone.
  auto wide = Open(Arial(16, 16));
  ASSERT_TRUE(wide);
  EXPECT_NEAR(AverageAdvance(*wide), 16, 1.5);
  EXPECT_NEAR(wide->CellHeight(), 16, 1);
  EXPECT_EQ(wide->Render(U'H').rows, font->Render(U'H').rows);
  EXPECT_LT(AverageAdvance(*cell), AverageAdvance(*wide));
}

TEST(FontRaster, BitmapsRunBottomUpFromTheBaseLine) {
  auto font = Open(Arial(16, 8));
  ASSERT_TRUE(font);
  GlyphBitmap t = font->Render(U'T');
  ASSERT_GT(t.rows, 4);
  EXPECT_EQ(t.bottom, 0);                                  // stands on the base line
  EXPECT_GT(LitInRow(t, t.rows - 1), 2 * LitInRow(t, 0));  // the bar is on top
  GlyphBitmap p = font->Render(U'p');
  EXPECT_LT(p.bottom, 0);  // the descender hangs below it
  GlyphBitmap l = font->Render(U'L');
  EXPECT_GT(LitInRow(l, 0), 2 * LitInRow(l, l.rows - 1));  // the foot is at the bottom
  EXPECT_TRUE(l.Lit(0, l.rows - 1));                       // and the stem on the left
  EXPECT_FALSE(l.Lit(l.width - 1, l.rows - 1));
  // The rows are packed one byte per eight pixels, nothing lit past the width.
  GlyphBitmap w = font->Render(U'W');
  ASSERT_EQ(w.bits.size(), static_cast<size_t>(w.RowBytes() * w.rows));
  for (int row = 0; row < w.rows; ++row) {
    unsigned char last = w.bits[row * w.RowBytes() + w.RowBytes() - 1];
    int used = w.width % 8 == 0 ? 8 : w.width % 8;
    EXPECT_EQ(last & (0xFF >> used), 0) << "row " << row;
  }
}

TEST(FontRaster, SpaceHasAnAdvanceButNoPixels) {
  auto font = Open(Arial(16, 8));
  ASSERT_TRUE(font);
  GlyphBitmap space = font->Render(U' ');
  EXPECT_EQ(space.LitCount(), 0);
  EXPECT_GT(space.advance, 0);
  EXPECT_LT(space.advance, font->Render(U'W').advance);
}

TEST(FontRaster, CharacterCodesAreWindows1251) {
  auto font = Open(Arial(16, 8));
  ASSERT_TRUE(font);
  auto same = [&](unsigned code, char32_t cp) {
    GlyphBitmap a = font->RenderCode(code), b = font->Render(cp);
    return a.bits == b.bits && a.advance == b.advance && a.left == b.left && a.bottom == b.bottom;
  };
  EXPECT_TRUE(same('A', U'A'));
  EXPECT_TRUE(same(0xC0, U'\u0410'));  // А, not À
  EXPECT_FALSE(same(0xC0, U'\u00C0'));
  EXPECT_TRUE(same(0xFF, U'\u044F'));               // я
  EXPECT_TRUE(same(0xB9, U'\u2116'));               // №
  EXPECT_GT(font->RenderCode(0xC6).LitCount(), 0);  // Ж has a glyph
  GlyphBitmap beyond = font->RenderCode(0x141);
  EXPECT_EQ(beyond.advance, 0);
  EXPECT_TRUE(beyond.bits.empty());
}

TEST(FontRaster, WeightAndSlantThatAFaceLacksAreMadeUp) {
  // Only meaningful with a family that comes in one style alone.
  for (const char* family : {"Droid Sans Fallback", "D050000L"}) {
    auto plain = FontRasterizer::Open(FontRequest{16, 0, FW_NORMAL, false, 0, family});
    if (!plain || plain->FamilyName() != family || plain->Bold()) continue;
    auto bold = Open(FontRequest{16, 0, FW_BOLD, false, 0, family});
    auto slanted = Open(FontRequest{16, 0, FW_NORMAL, true, 0, family});
    ASSERT_TRUE(bold && slanted);
    EXPECT_EQ(bold->FilePath(), plain->FilePath());
    EXPECT_TRUE(bold->Bold());
    EXPECT_TRUE(slanted->Italic());
    char32_t probe = std::string(family) == "D050000L" ? U'\u2660' : U'\u4E2D';
    EXPECT_GT(bold->Render(probe).LitCount(), plain->Render(probe).LitCount());
    EXPECT_NE(slanted->Render(probe).bits, plain->Render(probe).bits);
    return;
  }
  GTEST_SKIP() << "no single-style family installed";
}

}  // namespace
