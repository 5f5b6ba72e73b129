// gdi32 objects: the stock black brush and system font, fonts made by
// CreateFontA, and their selection into device contexts. Fonts only record
// the request; the glyphs are made when display lists are built from them
// (FontLists.cpp).
#include "Gdi.h"

#include <windows.h>

#include <cstring>
#include <unordered_set>

namespace {

using winlayer::GdiKind;

constexpr int kLongestFaceName = 31;  // LF_FACESIZE less the zero

// The brush the programs' window classes name, and the font a device
// context draws with until one is selected (an outline stand-in for
// Windows' raster system font).
GdiObjectRecord blackBrush{GdiKind::Brush, true, 0, 0, 0, ""};
GdiObjectRecord systemFont{GdiKind::Font, true, 16, 0, FW_BOLD, "sans-serif"};

// Objects made by CreateFontA and not yet deleted.
std::unordered_set<GdiObjectRecord*>& Created() {
  static std::unordered_set<GdiObjectRecord*> objects;
  return objects;
}

bool IsLive(GdiObjectRecord* object) {
  return object == &blackBrush || object == &systemFont || (object && Created().count(object) != 0);
}

// Device contexts that fonts were selected into.
std::unordered_set<DeviceContextRecord*>& SelectedInto() {
  static std::unordered_set<DeviceContextRecord*> contexts;
  return contexts;
}

}  // namespace

namespace winlayer {

const GdiObjectRecord* CurrentFont(HDC dc) {
  if (dc && dc->selectedFont) return dc->selectedFont;
  return &systemFont;
}

}  // namespace winlayer

HGDIOBJ GetStockObject(int object) {
  if (object == BLACK_BRUSH) return &blackBrush;
  if (object == SYSTEM_FONT) return &systemFont;
  return nullptr;
}

HFONT CreateFontA(int height, int width, int /*escapement*/, int /*orientation*/, int weight,
                  DWORD /*italic*/, DWORD /*underline*/, DWORD /*strikeOut*/, DWORD /*charSet*/,
                  DWORD /*outPrecision*/, DWORD /*clipPrecision*/, DWORD /*quality*/,
                  DWORD /*pitchAndFamily*/, LPCSTR faceName) {
  auto* font = new GdiObjectRecord;
  font->kind = GdiKind::Font;
  font->height = height;
  font->width = width;
  font->weight = weight;
  if (faceName) font->faceName.assign(faceName, strnlen(faceName, kLongestFaceName));
  Created().insert(font);
  return font;
}

// Fonts only: the programs select nothing else.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!dc || !IsLive(object) || object->kind != GdiKind::Font) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ previous = dc->selectedFont ? dc->selectedFont : &systemFont;
  dc->selectedFont = object;
  SelectedInto().insert(dc);
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!IsLive(object)) return FALSE;
  if (object->stock) return TRUE;  // stock objects stay for the whole run
  // A device context that still holds the font falls back to its default.
  for (DeviceContextRecord* dc : SelectedInto()) {
    if (dc->selectedFont == object) dc->selectedFont = nullptr;
  }
  Created().erase(object);
  delete object;
  return TRUE;
}
