// gdi32 objects: stock brushes and fonts, fonts made by CreateFontA, and
// their selection into device contexts. Fonts only record the request; the
// glyphs are made when display lists are built from them (FontLists.cpp).
#include "Gdi.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace {

using winlayer::GdiKind;

constexpr int kStockCount = 18;
constexpr int kLongestFaceName = 31;  // LF_FACESIZE less the zero

// Stock objects by GetStockObject index; null where we have none (pens,
// the palette).
std::array<GdiObjectRecord*, kStockCount>& StockObjects() {
  static std::array<GdiObjectRecord*, kStockCount> objects = [] {
    std::array<GdiObjectRecord*, kStockCount> made{};
    for (int brush = WHITE_BRUSH; brush <= NULL_BRUSH; ++brush) {
      auto* record = new GdiObjectRecord;
      record->stock = true;
      record->brushColour = brush;
      made[brush] = record;
    }
    struct StockFont {
      int index, height, weight;
      const char* face;
    };
    // Outline stand-ins for Windows' raster system fonts, by generic family.
    const StockFont fonts[] = {
        {10, 12, FW_NORMAL, "monospace"},   // OEM_FIXED_FONT
        {11, 12, FW_NORMAL, "monospace"},   // ANSI_FIXED_FONT
        {12, 12, FW_NORMAL, "sans-serif"},  // ANSI_VAR_FONT
        {13, 16, FW_BOLD, "sans-serif"},    // SYSTEM_FONT
        {14, 16, FW_BOLD, "sans-serif"},    // DEVICE_DEFAULT_FONT
        {16, 16, FW_NORMAL, "monospace"},   // SYSTEM_FIXED_FONT
        {17, -11, FW_NORMAL, "sans-serif"}  // DEFAULT_GUI_FONT
    };
    for (const StockFont& font : fonts) {
      auto* record = new GdiObjectRecord;
      record->kind = GdiKind::Font;
      record->stock = true;
      record->height = font.height;
      record->weight = font.weight;
      record->faceName = font.face;
      made[font.index] = record;
    }
    return made;
  }();
  return objects;
}

GdiObjectRecord* Stock(int index) { return StockObjects()[index]; }

bool IsStock(const GdiObjectRecord* object) {
  for (GdiObjectRecord* stock : StockObjects()) {
    if (stock && stock == object) return true;
  }
  return false;
}

// Objects made by CreateFontA and not yet deleted.
std::unordered_set<GdiObjectRecord*>& Created() {
  static std::unordered_set<GdiObjectRecord*> objects;
  return objects;
}

bool IsLive(GdiObjectRecord* object) { return object && (IsStock(object) || Created().count(object) != 0); }

// Device contexts that objects were selected into, with the brush of each
// (fonts live in the record's own selectedFont).
struct DeviceContextState {
  HGDIOBJ brush = nullptr;
};

std::unordered_map<DeviceContextRecord*, DeviceContextState>& SelectedInto() {
  static std::unordered_map<DeviceContextRecord*, DeviceContextState> contexts;
  return contexts;
}

}  // namespace

namespace winlayer {

const GdiObjectRecord* CurrentFont(HDC dc) {
  if (dc && dc->selectedFont) return dc->selectedFont;
  return Stock(SYSTEM_FONT);
}

void ForgetDeviceContext(HDC dc) { SelectedInto().erase(dc); }

}  // namespace winlayer

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object >= kStockCount) return nullptr;
  return Stock(object);
}

HFONT CreateFontA(int height, int width, int /*escapement*/, int /*orientation*/, int weight, DWORD italic,
                  DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/, DWORD /*outPrecision*/,
                  DWORD /*clipPrecision*/, DWORD /*quality*/, DWORD pitchAndFamily, LPCSTR faceName) {
  auto* font = new GdiObjectRecord;
  font->kind = GdiKind::Font;
  font->height = height;
  font->width = width;
  font->weight = weight;
  font->italic = italic != 0;
  font->pitchAndFamily = pitchAndFamily;
  if (faceName) font->faceName.assign(faceName, strnlen(faceName, kLongestFaceName));
  Created().insert(font);
  return font;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!dc || !IsLive(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DeviceContextState& state = SelectedInto()[dc];
  HGDIOBJ previous;
  if (object->kind == GdiKind::Font) {
    previous = dc->selectedFont ? dc->selectedFont : Stock(SYSTEM_FONT);
    dc->selectedFont = object;
  } else {
    previous = state.brush ? state.brush : Stock(WHITE_BRUSH);
    state.brush = object;
  }
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!IsLive(object)) return FALSE;
  if (object->stock) return TRUE;  // stock objects stay for the whole run
  // A device context that still holds the object falls back to its default.
  for (auto& [dc, state] : SelectedInto()) {
    if (dc->selectedFont == object) dc->selectedFont = nullptr;
    if (state.brush == object) state.brush = nullptr;
  }
  Created().erase(object);
  delete object;
  return TRUE;
}
