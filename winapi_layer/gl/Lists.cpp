// Display lists of bitmaps, the raster position, and the glyph atlas that
// draws them: a list's bitmaps are placed in one texture of the context,
// and glCallLists draws them as quads in window coordinates, each at the
// raster position of its moment, which it then moves on as glBitmap does.
#include <algorithm>
#include <cmath>

#include "Context.h"

namespace glsubset {

namespace {

constexpr int kAtlasWidth = 256;

// The bits of a bitmap one byte a pixel, read as the unpack settings say.
std::vector<uint8_t> UnpackBits(const PixelStore& u, int width, int height, const GLubyte* bits) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height);
  if (bits == nullptr) return out;
  const size_t rowPixels = u.rowLength > 0 ? static_cast<size_t>(u.rowLength) : static_cast<size_t>(width);
  const size_t align = static_cast<size_t>(u.alignment);
  const size_t rowBytes = ((rowPixels + 7) / 8 + align - 1) / align * align;
  for (int row = 0; row < height; ++row) {
    const GLubyte* from = bits + (static_cast<size_t>(row) + u.skipRows) * rowBytes;
    for (int col = 0; col < width; ++col) {
      const size_t bit = static_cast<size_t>(col) + u.skipPixels;
      const int shift = u.lsbFirst ? static_cast<int>(bit % 8) : 7 - static_cast<int>(bit % 8);
      out[static_cast<size_t>(row) * width + col] = (from[bit / 8] >> shift & 1) ? 255 : 0;
    }
  }
  return out;
}

// Starts the atlas afresh, at least `height` tall, and places every list's
// bitmaps in it again, growing it as they need up to the largest texture
// the host takes; a bitmap that still finds no place is not drawn.
void Repack(Context& c, int height) {
  Renderer& r = c.renderer;
  int width = kAtlasWidth;
  for (auto& [name, list] : c.lists)
    for (const Bitmap& b : list.bitmaps)
      while (width < b.width && width < r.largestTexture) width *= 2;
  for (;; height *= 2) {
    r.atlasWidth = width;
    r.atlasHeight = height;
    r.atlasPixels.assign(static_cast<size_t>(width) * height, 0);
    r.shelfX = r.shelfY = r.shelfHeight = 0;
    r.atlasChanged = true;
    bool all = true;
    for (auto& [name, list] : c.lists) {
      for (Bitmap& b : list.bitmaps) {
        b.atlasX = b.atlasY = -1;
        if (b.width > 0 && b.height > 0) all = PlaceInAtlas(r, b) && all;
      }
    }
    if (all || height * 2 > r.largestTexture) return;
  }
}

// Places a new list's bitmaps, repacking the atlas when they do not fit.
void Place(Context& c, DisplayList& list) {
  Renderer& r = c.renderer;
  bool placed = r.atlasHeight > 0;
  for (Bitmap& b : list.bitmaps)
    if (placed && b.width > 0 && b.height > 0) placed = PlaceInAtlas(r, b);
  if (!placed) Repack(c, std::max(r.atlasHeight, kAtlasWidth / 4));
}

// Draws the bitmaps of `list` from the raster position and moves it on.
void Play(Context& c, const DisplayList& list, std::vector<Vertex>& quads) {
  for (const Bitmap& b : list.bitmaps) {
    if (!c.rasterValid) return;
    if (b.atlasX >= 0) {
      // The lower left corner on whole pixels; a position a hair below a
      // whole number (from the matrices' arithmetic) counts as that number.
      const float epsilon = 0.0001f;
      const float x = std::floor(c.rasterPosition[0] + epsilon - b.xorig);
      const float y = std::floor(c.rasterPosition[1] + epsilon - b.yorig);
      const float z = c.rasterPosition[2];
      const Renderer& r = c.renderer;
      const float u0 = static_cast<float>(b.atlasX) / r.atlasWidth;
      const float v0 = static_cast<float>(b.atlasY) / r.atlasHeight;
      const float u1 = static_cast<float>(b.atlasX + b.width) / r.atlasWidth;
      const float v1 = static_cast<float>(b.atlasY + b.height) / r.atlasHeight;
      const float corners[4][4] = {{x, y, u0, v0},
                                   {x + b.width, y, u1, v0},
                                   {x + b.width, y + b.height, u1, v1},
                                   {x, y + b.height, u0, v1}};
      Vertex v[4];
      for (int i = 0; i < 4; ++i) {
        const std::array<float, 3> ndc = NdcFromWindow(c, corners[i][0], corners[i][1], z);
        std::copy(ndc.begin(), ndc.end(), v[i].position);
        std::copy(c.rasterColour.begin(), c.rasterColour.end(), v[i].colour);
        v[i].normal[0] = v[i].normal[1] = 0;
        v[i].normal[2] = 1;
        v[i].texCoord[0] = corners[i][2];
        v[i].texCoord[1] = corners[i][3];
      }
      quads.insert(quads.end(), {v[0], v[1], v[2], v[0], v[2], v[3]});
    }
    c.rasterPosition[0] += b.xmove;
    c.rasterPosition[1] += b.ymove;
  }
}

}  // namespace

bool PlaceInAtlas(Renderer& r, Bitmap& b) {
  if (b.width > r.atlasWidth) return false;
  if (r.shelfX + b.width > r.atlasWidth) {
    r.shelfY += r.shelfHeight;
    r.shelfX = r.shelfHeight = 0;
  }
  if (r.shelfY + b.height > r.atlasHeight) return false;
  b.atlasX = r.shelfX;
  b.atlasY = r.shelfY;
  for (int row = 0; row < b.height; ++row)
    std::copy_n(&b.bits[static_cast<size_t>(row) * b.width], b.width,
                &r.atlasPixels[static_cast<size_t>(b.atlasY + row) * r.atlasWidth + b.atlasX]);
  r.shelfX += b.width;
  r.shelfHeight = std::max(r.shelfHeight, b.height);
  r.atlasChanged = true;
  return true;
}

void UpdateAtlas(Context& c) {
  Renderer& r = c.renderer;
  if (!r.atlasChanged) return;
  if (r.atlas == 0) {
    r.es->GenTextures(1, &r.atlas);
    r.es->BindTexture(GL_TEXTURE_2D, r.atlas);
    r.es->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    r.es->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    r.es->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    r.es->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  } else {
    r.es->BindTexture(GL_TEXTURE_2D, r.atlas);
  }
  r.boundTexture = r.atlas;
  // Rows of a power-of-two width: whole 4-byte words, as ES reads them.
  r.es->TexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, r.atlasWidth, r.atlasHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                   r.atlasPixels.data());
  r.atlasChanged = false;
}

GLuint glGenLists(GLsizei range) {
  Context* c = Current();
  if (c == nullptr) return 0;
  if (range < 0) {
    SetError(*c, GL_INVALID_VALUE);
    return 0;
  }
  if (range == 0) return 0;
  const GLuint first = c->nextList;
  for (GLsizei i = 0; i < range; ++i) c->lists[first + static_cast<GLuint>(i)];
  c->nextList += static_cast<GLuint>(range);
  return first;
}

void glNewList(GLuint list, GLenum mode) {
  Context* c = Current();
  if (c == nullptr) return;
  if (list == 0) return SetError(*c, GL_INVALID_VALUE);
  if (mode != GL_COMPILE) return SetError(*c, GL_INVALID_ENUM);
  if (c->compiling != 0) return SetError(*c, GL_INVALID_OPERATION);
  c->compiling = list;
  c->compiled = DisplayList{};
}

void glEndList() {
  Context* c = Current();
  if (c == nullptr) return;
  if (c->compiling == 0) return SetError(*c, GL_INVALID_OPERATION);
  DisplayList& list = c->lists[c->compiling];
  list = std::move(c->compiled);
  c->nextList = std::max(c->nextList, c->compiling + 1);
  c->compiling = 0;
  Place(*c, list);
}

void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
              const GLubyte* bitmap) {
  Context* c = Current();
  if (c == nullptr) return;
  if (width < 0 || height < 0) return SetError(*c, GL_INVALID_VALUE);
  Bitmap b;
  b.width = width;
  b.height = height;
  b.xorig = xorig;
  b.yorig = yorig;
  b.xmove = xmove;
  b.ymove = ymove;
  b.bits = UnpackBits(c->unpack, width, height, bitmap);
  if (c->compiling != 0) {
    c->compiled.bitmaps.push_back(std::move(b));
    return;
  }
  // Drawn at once: through a list of its own that is gone again.
  const GLuint name = 0;
  c->lists[name].bitmaps = {b};
  const GLubyte zero = 0;
  const GLuint base = c->listBase;
  c->listBase = 0;
  Place(*c, c->lists[name]);
  glCallLists(1, GL_UNSIGNED_BYTE, &zero);
  c->listBase = base;
  c->lists.erase(name);
}

void glListBase(GLuint base) {
  if (Context* c = Current()) c->listBase = base;
}

void glCallLists(GLsizei count, GLenum type, const GLvoid* lists) {
  Context* c = Current();
  if (c == nullptr) return;
  if (count < 0) return SetError(*c, GL_INVALID_VALUE);
  if (type != GL_UNSIGNED_BYTE) return SetError(*c, GL_INVALID_ENUM);
  std::vector<Vertex> quads;
  const auto* names = static_cast<const GLubyte*>(lists);
  for (GLsizei i = 0; i < count; ++i) {
    // A name without a list draws nothing.
    auto found = c->lists.find(c->listBase + names[i]);
    if (found != c->lists.end()) Play(*c, found->second, quads);
  }
  if (quads.empty()) return;
  UpdateAtlas(*c);
  Draw(*c, GL_TRIANGLES, quads, Space::Window, true);
}

void glRasterPos2i(GLint x, GLint y) {
  Context* c = Current();
  if (c == nullptr) return;
  const Vec4 eye = Transform(c->modelview.back(), {static_cast<float>(x), static_cast<float>(y), 0, 1});
  const Vec4 clip = Transform(c->projection.back(), eye);
  // A point outside the view volume leaves the raster position invalid:
  // bitmaps then draw nothing and do not move it.
  c->rasterValid = true;
  for (int axis = 0; axis < 3; ++axis)
    if (clip[axis] < -clip[3] || clip[axis] > clip[3]) c->rasterValid = false;
  if (!c->rasterValid) return;
  const std::array<float, 3> window = WindowFromClip(*c, clip);
  c->rasterPosition = window;
  c->rasterColour = LitColour(*c, c->colour, c->normal);
}

}  // namespace glsubset
