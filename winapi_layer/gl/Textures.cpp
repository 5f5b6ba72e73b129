// Texture objects, their filters, the texture environment and
// gluBuild2DMipmaps. Each name's ES texture is made with its first image;
// the levels are built here, as GLU builds them, and given to ES whole.
#include <GL/glu.h>

#include <algorithm>
#include <cstddef>

#include "Context.h"
#include "Mipmaps.h"

namespace glsubset {

TextureObject& BindEsTexture(Context& c, GLuint name) {
  Renderer& r = c.renderer;
  TextureObject& t = c.textures[name];
  if (t.es == 0) {
    r.es->GenTextures(1, &t.es);
    r.es->BindTexture(GL_TEXTURE_2D, t.es);
    r.es->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(t.minFilter));
    r.es->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(t.magFilter));
  } else if (r.boundTexture != t.es) {
    r.es->BindTexture(GL_TEXTURE_2D, t.es);
  }
  r.boundTexture = t.es;
  return t;
}

void glGenTextures(GLsizei count, GLuint* names) {
  Context* c = Current();
  if (c == nullptr) return;
  if (count < 0) return SetError(*c, GL_INVALID_VALUE);
  // Names of our own, never 0 and never in use; each gets its ES texture
  // with its first image.
  GLuint next = 1;
  for (GLsizei i = 0; i < count; ++i) {
    while (c->textures.count(next) != 0) ++next;
    c->textures[next];
    names[i] = next;
  }
}

void glBindTexture(GLenum target, GLuint name) {
  Context* c = Current();
  if (c == nullptr) return;
  if (target != GL_TEXTURE_2D) return SetError(*c, GL_INVALID_ENUM);
  c->textures[name];
  c->boundTexture = name;
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
  Context* c = Current();
  if (c == nullptr) return;
  if (target != GL_TEXTURE_2D) return SetError(*c, GL_INVALID_ENUM);
  const auto filter = static_cast<GLenum>(value);
  const bool magnifying = filter == GL_NEAREST || filter == GL_LINEAR;
  const bool minifying =
      magnifying || (filter >= GL_NEAREST_MIPMAP_NEAREST && filter <= GL_LINEAR_MIPMAP_LINEAR);
  if (name == GL_TEXTURE_MIN_FILTER && minifying) {
    c->textures[c->boundTexture].minFilter = filter;
  } else if (name == GL_TEXTURE_MAG_FILTER && magnifying) {
    c->textures[c->boundTexture].magFilter = filter;
  } else {
    return SetError(*c, GL_INVALID_ENUM);
  }
  const TextureObject& t = c->textures[c->boundTexture];
  if (t.es != 0) {
    BindEsTexture(*c, c->boundTexture);
    c->renderer.es->TexParameteri(GL_TEXTURE_2D, name, value);
  }
}

void glTexEnvi(GLenum target, GLenum name, GLint value) {
  Context* c = Current();
  if (c == nullptr) return;
  const auto mode = static_cast<GLenum>(value);
  if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE ||
      (mode != GL_MODULATE && mode != GL_DECAL && mode != GL_REPLACE))
    return SetError(*c, GL_INVALID_ENUM);
  c->textureEnvMode = mode;
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void* data) {
  Context* c = Current();
  if (c == nullptr) return GL_INVALID_OPERATION;
  if (target != GL_TEXTURE_2D || (components != 4 && components != GL_RGBA) || format != GL_RGBA ||
      type != GL_UNSIGNED_BYTE)
    return GL_INVALID_ENUM;
  if (width < 1 || height < 1) return GL_INVALID_VALUE;
  // The rows as the unpack settings lay them out: 4 bytes a pixel, so the
  // alignment only matters past 4.
  const PixelStore& u = c->unpack;
  const size_t rowPixels = u.rowLength > 0 ? static_cast<size_t>(u.rowLength) : static_cast<size_t>(width);
  const size_t align = static_cast<size_t>(u.alignment);
  const size_t rowBytes = (rowPixels * 4 + align - 1) / align * align;
  RgbaImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (int row = 0; row < height; ++row) {
    const uint8_t* from =
        bytes + (row + static_cast<size_t>(u.skipRows)) * rowBytes + u.skipPixels * size_t{4};
    std::copy(from, from + width * 4, image.pixels.begin() + static_cast<size_t>(row) * width * 4);
  }

  const std::vector<RgbaImage> levels = BuildMipmaps(image, c->renderer.largestTexture);
  TextureObject& t = BindEsTexture(*c, c->boundTexture);
  for (size_t level = 0; level < levels.size(); ++level) {
    const RgbaImage& l = levels[level];
    c->renderer.es->TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA, l.width, l.height, 0,
                               GL_RGBA, GL_UNSIGNED_BYTE, l.pixels.data());
  }
  t.width = levels[0].width;
  t.height = levels[0].height;
  t.levels = static_cast<int>(levels.size());
  return 0;
}

}  // namespace glsubset
