// The one GLU call of the games, over the OpenGL subset of GL/gl.h:
// gluBuild2DMipmaps scales an image to power-of-two sides and gives the
// texture every level down to 1 by 1, each the box-filtered half of the one
// above.
#pragma once

#include <GL/gl.h>

namespace glsubset {

// components 4 (or GL_RGBA) and format GL_RGBA of GL_UNSIGNED_BYTE only.
// Returns 0, or the GL error code of what was wrong.
GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void* data);

}  // namespace glsubset

using glsubset::gluBuild2DMipmaps;
