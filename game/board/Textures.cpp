#include "Textures.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "BMPUnit.h"

uint32_t CreateTexture(uint16_t width, uint16_t height, const uint8_t* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  // The environment is global state, not the texture's: this sets it for
  // whatever is drawn next, and each frame sets it again.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  // Sides that are not powers of two are scaled to powers of two here.
  gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  return name;
}

bool LoadTexture(const char* fileName, uint32_t& textureName) {
  std::optional<BmpImage> image = LoadBmpImage(fileName);
  if (!image) return false;
  textureName = CreateTexture(static_cast<uint16_t>(image->width & 0xFFFF),
                              static_cast<uint16_t>(image->height & 0xFFFF), image->pixels.data());
  return true;
}
