// What the layer's handles point at. Each record belongs to the part of the
// layer that creates it; the others only read it.
#pragma once

#include <windows.h>

#include <string>

struct SDL_Window;

namespace winlayer {

enum class GdiKind { Brush, Font };

}  // namespace winlayer

// HGDIOBJ: the stock brush and font, and fonts (Gdi.cpp).
struct GdiObjectRecord {
  winlayer::GdiKind kind = winlayer::GdiKind::Brush;
  bool stock = false;  // stock objects are never freed
  // Font request, as given to CreateFontA.
  int height = 0;
  int width = 0;
  int weight = 0;
  std::string faceName;  // Windows-1251
};

// HDC: a window's device context (OpenGL.cpp creates it with GetDC).
struct DeviceContextRecord {
  HWND window = nullptr;
  HGDIOBJ selectedFont = nullptr;  // set by SelectObject
  int pixelFormat = 0;             // 0 until SetPixelFormat
};
