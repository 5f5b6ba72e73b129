// Monochrome glyph bitmaps of a GDI font request: FontChoice picks the
// face, FreeType sizes it the way GDI sizes fonts and renders the glyphs.
// No OpenGL here; FontLists.cpp turns the bitmaps into display lists.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct FT_FaceRec_;

namespace winlayer {

struct FontRequest {
  int height = 0;        // cell height (ascent + descent) in pixels; 0: the default
  int width = 0;         // average character width in pixels; 0 keeps the face's proportions
  int weight = 0;        // FW_ value; 0 means normal
  std::string faceName;  // Windows-1251
};

// One glyph. Rows run bottom-up, (width + 7) / 8 bytes each, the leftmost
// pixel in the top bit of the first byte: glBitmap's layout with an unpack
// alignment of 1.
struct GlyphBitmap {
  int width = 0;
  int rows = 0;
  int left = 0;     // pen position to the bitmap's left column
  int bottom = 0;   // base line to the bitmap's lowest row (negative below it)
  int advance = 0;  // pen movement to the next glyph
  std::vector<unsigned char> bits;

  int RowBytes() const { return (width + 7) / 8; }
  // row 0 is the lowest row
  bool Lit(int x, int row) const { return (bits[row * RowBytes() + x / 8] >> (7 - x % 8)) & 1; }
  int LitCount() const;
};

class FontRasterizer {
 public:
  // Null when no face can be found or loaded.
  static std::unique_ptr<FontRasterizer> Open(const FontRequest& request);
  ~FontRasterizer();
  FontRasterizer(const FontRasterizer&) = delete;
  FontRasterizer& operator=(const FontRasterizer&) = delete;

  GlyphBitmap Render(char32_t codePoint) const;
  // The glyph of a Windows-1251 character code; codes above 255 have no
  // glyph and no advance.
  GlyphBitmap RenderCode(unsigned code) const;

  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int CellHeight() const { return ascent_ + descent_; }

  const std::string& FamilyName() const { return family_; }
  const std::string& FilePath() const { return file_; }
  bool Bold() const;  // the face is bold, or is made bold

 private:
  FontRasterizer() = default;

  FT_FaceRec_* face_ = nullptr;
  std::string family_;
  std::string file_;
  int ascent_ = 0;
  int descent_ = 0;
  bool emboldened_ = false;
};

}  // namespace winlayer
