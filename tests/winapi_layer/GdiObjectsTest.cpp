// Stock objects, fonts and their selection into device contexts.
#include <gtest/gtest.h>
#include <windows.h>

#include "Gdi.h"
#include "Handles.h"
#include "TestKit.h"

namespace {

TEST(GdiObjects, StockObjectsAreFixedAndFontsRecordTheirRequest) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_NE(GetStockObject(WHITE_BRUSH), black);
  EXPECT_EQ(GetStockObject(SYSTEM_FONT)->kind, winlayer::GdiKind::Font);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(6), nullptr);  // no pens
  EXPECT_EQ(DeleteObject(black), TRUE);   // succeeds, frees nothing
  EXPECT_EQ(GetStockObject(BLACK_BRUSH)->kind, winlayer::GdiKind::Brush);

  HFONT font = CreateFontA(-12, 5, 0, 0, FW_NORMAL, 1, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, 0x31, "A face name that is longer than thirty-one characters");
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(font->stock);
  EXPECT_EQ(font->height, -12);
  EXPECT_EQ(font->width, 5);
  EXPECT_TRUE(font->italic);
  EXPECT_EQ(font->pitchAndFamily, 0x31u);
  EXPECT_EQ(font->faceName, "A face name that is longer than");  // Windows keeps 31 characters
  EXPECT_EQ(DeleteObject(font), TRUE);
  EXPECT_EQ(DeleteObject(font), FALSE);
  EXPECT_EQ(DeleteObject(nullptr), FALSE);
}

TEST(GdiObjects, SelectionReturnsThePreviousObjectAndDeletionDetachesFonts) {
  DeviceContextRecord dc, other;
  HFONT font = ArialBold(), kept = ArialBold();
  EXPECT_EQ(winlayer::CurrentFont(&dc), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(&dc, kept), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(&dc, font), kept);
  EXPECT_EQ(SelectObject(&dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(&dc, GetStockObject(NULL_BRUSH)), GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(dc.selectedFont, font);  // brushes leave the font alone
  EXPECT_EQ(SelectObject(nullptr, font), nullptr);
  EXPECT_EQ(SelectObject(&dc, nullptr), nullptr);
  SelectObject(&other, kept);

  // Deleting the selected font puts the context back on the default font.
  EXPECT_EQ(DeleteObject(font), TRUE);
  EXPECT_EQ(dc.selectedFont, nullptr);
  EXPECT_EQ(winlayer::CurrentFont(&dc), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(other.selectedFont, kept);
  EXPECT_EQ(SelectObject(&dc, font), nullptr);  // no object any more
  EXPECT_EQ(SelectObject(&dc, kept), GetStockObject(SYSTEM_FONT));
  // A forgotten context is left alone by later deletions.
  winlayer::ForgetDeviceContext(&other);
  EXPECT_EQ(DeleteObject(kept), TRUE);
  EXPECT_EQ(dc.selectedFont, nullptr);
  EXPECT_EQ(other.selectedFont, kept);
  winlayer::ForgetDeviceContext(&dc);
}

}  // namespace
