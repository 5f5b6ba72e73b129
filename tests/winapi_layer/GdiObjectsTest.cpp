// Stock objects, fonts and their selection into device contexts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Gdi.h"
#include "Handles.h"

namespace {

HFONT ArialBold() {
  return CreateFontA(16, 8, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, 0, "arial");
}

TEST(GdiStockObjects, AreFixedHandlesThatDeletingLeavesAlone) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_NE(GetStockObject(WHITE_BRUSH), black);
  EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
  EXPECT_EQ(black->kind, winlayer::GdiKind::Brush);
  HGDIOBJ system = GetStockObject(SYSTEM_FONT);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(system->kind, winlayer::GdiKind::Font);
  // Indices without an object.
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(6), nullptr);  // pens are not provided
  EXPECT_EQ(GetStockObject(1000), nullptr);
  // Deleting a stock object succeeds and changes nothing.
  EXPECT_EQ(DeleteObject(black), TRUE);
  EXPECT_EQ(DeleteObject(system), TRUE);
  DeviceContextRecord dc;
  EXPECT_EQ(SelectObject(&dc, black), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(&dc, system), system);
  winlayer::ForgetDeviceContext(&dc);
}

TEST(GdiFonts, CreateFontRecordsTheRequest) {
  HFONT font = CreateFontA(-12, 5, 0, 0, FW_NORMAL, 1, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, 0x31, "A face name that is longer than thirty-one characters");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->kind, winlayer::GdiKind::Font);
  EXPECT_FALSE(font->stock);
  EXPECT_EQ(font->height, -12);
  EXPECT_EQ(font->width, 5);
  EXPECT_EQ(font->weight, FW_NORMAL);
  EXPECT_TRUE(font->italic);
  EXPECT_EQ(font->pitchAndFamily, 0x31u);
  EXPECT_EQ(font->faceName, "A face name that is longer than");  // 31 characters, as Windows keeps
  HFONT unnamed = CreateFontA(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(unnamed->faceName, "");
  EXPECT_NE(unnamed, font);
  EXPECT_EQ(DeleteObject(font), TRUE);
  EXPECT_EQ(DeleteObject(unnamed), TRUE);
}

TEST(GdiSelection, ReturnsWhatWasSelectedBeforeStartingFromTheDefaults) {
  DeviceContextRecord dc;
  HFONT first = ArialBold();
  HFONT second = ArialBold();
  EXPECT_EQ(winlayer::CurrentFont(&dc), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(&dc, first), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(dc.selectedFont, first);
  EXPECT_EQ(winlayer::CurrentFont(&dc), first);
  EXPECT_EQ(SelectObject(&dc, second), first);
  // Brushes and fonts are selected side by side.
  EXPECT_EQ(SelectObject(&dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(&dc, GetStockObject(NULL_BRUSH)), GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(dc.selectedFont, second);
  EXPECT_EQ(SelectObject(&dc, first), second);
  // Nothing changes on a bad call.
  EXPECT_EQ(SelectObject(nullptr, first), nullptr);
  EXPECT_EQ(SelectObject(&dc, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(dc.selectedFont, first);
  SelectObject(&dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(first);
  DeleteObject(second);
  winlayer::ForgetDeviceContext(&dc);
}

TEST(GdiDeletion, FreesOnceAndDetachesASelectedFontFirst) {
  DeviceContextRecord window, other, unrelated;
  HFONT font = ArialBold();
  HFONT kept = ArialBold();
  SelectObject(&window, font);
  SelectObject(&other, font);
  SelectObject(&unrelated, kept);
  EXPECT_EQ(DeleteObject(font), TRUE);
  // Both contexts fall back to the default font; the third keeps its own.
  EXPECT_EQ(window.selectedFont, nullptr);
  EXPECT_EQ(other.selectedFont, nullptr);
  EXPECT_EQ(winlayer::CurrentFont(&window), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(unrelated.selectedFont, kept);
  EXPECT_EQ(SelectObject(&window, kept), GetStockObject(SYSTEM_FONT));
  // A deleted handle is no object any more.
  EXPECT_EQ(DeleteObject(font), FALSE);
  EXPECT_EQ(SelectObject(&other, font), nullptr);
  EXPECT_EQ(DeleteObject(nullptr), FALSE);
  // A context that was forgotten is not touched by later deletions.
  winlayer::ForgetDeviceContext(&unrelated);
  EXPECT_EQ(DeleteObject(kept), TRUE);
  EXPECT_EQ(window.selectedFont, nullptr);
  EXPECT_EQ(unrelated.selectedFont, kept);  // stale on purpose: the record was forgotten
  winlayer::ForgetDeviceContext(&window);
  winlayer::ForgetDeviceContext(&other);
}

}  // namespace
