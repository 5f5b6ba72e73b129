// The OpenGL 1.1 the two games draw with, where the host offers only
// OpenGL ES 2 (or a browser's WebGL 1): the calls they make, and those the
// layer's font lists and the tests make (glFinish, the viewport read back),
// with the constants they pass. The calls live in namespace glsubset (gl/*.cpp) and are drawn
// through shaders; the using-declarations below let callers write them as
// they would with the system's OpenGL, while their symbols never collide
// with the ES library's own glViewport, glClear and the rest.
//
// A rendering context (wglCreateContext) carries one instance of all this
// state; without a current context every call does nothing.
#pragma once

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

#define GL_FALSE 0
#define GL_TRUE 1

// Errors (glGetError).
#define GL_NO_ERROR 0
#define GL_INVALID_ENUM 0x0500
#define GL_INVALID_VALUE 0x0501
#define GL_INVALID_OPERATION 0x0502
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504
#define GL_OUT_OF_MEMORY 0x0505

// Primitives (glBegin).
#define GL_LINES 0x0001
#define GL_LINE_LOOP 0x0002
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004
#define GL_QUADS 0x0007

// glClear.
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000

// Capabilities (glEnable, glDisable).
#define GL_LINE_STIPPLE 0x0B24
#define GL_CULL_FACE 0x0B44
#define GL_LIGHTING 0x0B50
#define GL_COLOR_MATERIAL 0x0B57
#define GL_ALPHA_TEST 0x0BC0
#define GL_TEXTURE_2D 0x0DE1
#define GL_LIGHT0 0x4000

// Alpha test functions.
#define GL_NEVER 0x0200
#define GL_LESS 0x0201
#define GL_EQUAL 0x0202
#define GL_LEQUAL 0x0203
#define GL_GREATER 0x0204
#define GL_NOTEQUAL 0x0205
#define GL_GEQUAL 0x0206
#define GL_ALWAYS 0x0207

// Faces, shading, matrices, the light, the viewport.
#define GL_FRONT 0x0404
#define GL_BACK 0x0405
#define GL_FRONT_AND_BACK 0x0408
#define GL_FLAT 0x1D00
#define GL_SMOOTH 0x1D01
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_POSITION 0x1203
#define GL_VIEWPORT 0x0BA2

// Textures.
#define GL_UNSIGNED_BYTE 0x1401
#define GL_RGBA 0x1908
#define GL_REPLACE 0x1E01
#define GL_MODULATE 0x2100
#define GL_DECAL 0x2101
#define GL_TEXTURE_ENV_MODE 0x2200
#define GL_TEXTURE_ENV 0x2300
#define GL_NEAREST 0x2600
#define GL_LINEAR 0x2601
#define GL_NEAREST_MIPMAP_NEAREST 0x2700
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_NEAREST_MIPMAP_LINEAR 0x2702
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801

// Display lists: one list records bitmaps only, which is what glyph lists
// are made of.
#define GL_COMPILE 0x1300
#define GL_LIST_BIT 0x00020000

// How glBitmap reads its bits.
#define GL_UNPACK_SWAP_BYTES 0x0CF0
#define GL_UNPACK_LSB_FIRST 0x0CF1
#define GL_UNPACK_ROW_LENGTH 0x0CF2
#define GL_UNPACK_SKIP_ROWS 0x0CF3
#define GL_UNPACK_SKIP_PIXELS 0x0CF4
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_CLIENT_PIXEL_STORE_BIT 0x00000001

namespace glsubset {

// State.
void glEnable(GLenum capability);
void glDisable(GLenum capability);
void glAlphaFunc(GLenum function, GLclampf reference);
void glCullFace(GLenum face);
void glShadeModel(GLenum model);
void glLightfv(GLenum light, GLenum name, const GLfloat* values);  // GL_POSITION of a directional light
void glLineWidth(GLfloat width);
void glLineStipple(GLint factor, GLushort pattern);
void glPushAttrib(GLbitfield mask);  // GL_LIST_BIT
void glPopAttrib();
void glPixelStorei(GLenum name, GLint value);
void glPushClientAttrib(GLbitfield mask);  // GL_CLIENT_PIXEL_STORE_BIT
void glPopClientAttrib();
GLenum glGetError();

// The frame.
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glGetIntegerv(GLenum name, GLint* values);  // GL_VIEWPORT
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void glClear(GLbitfield mask);
void glFinish();

// Matrices.
void glMatrixMode(GLenum mode);
void glLoadIdentity();
void glLoadMatrixf(const GLfloat* m);
void glPushMatrix();
void glPopMatrix();
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);

// Immediate mode.
void glBegin(GLenum mode);
void glEnd();
void glColor3f(GLfloat red, GLfloat green, GLfloat blue);
void glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void glTexCoord2f(GLfloat s, GLfloat t);
void glVertex2f(GLfloat x, GLfloat y);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);

// Textures.
void glGenTextures(GLsizei count, GLuint* names);
void glBindTexture(GLenum target, GLuint name);
void glTexParameteri(GLenum target, GLenum name, GLint value);
void glTexEnvi(GLenum target, GLenum name, GLint value);

// Display lists, bitmaps and the raster position.
GLuint glGenLists(GLsizei range);
void glNewList(GLuint list, GLenum mode);
void glEndList();
void glListBase(GLuint base);
void glCallLists(GLsizei count, GLenum type, const GLvoid* lists);  // GL_UNSIGNED_BYTE
void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
              const GLubyte* bitmap);
void glRasterPos2i(GLint x, GLint y);

}  // namespace glsubset

using glsubset::glAlphaFunc;
using glsubset::glBegin;
using glsubset::glBindTexture;
using glsubset::glBitmap;
using glsubset::glCallLists;
using glsubset::glClear;
using glsubset::glClearColor;
using glsubset::glColor3f;
using glsubset::glCullFace;
using glsubset::glDisable;
using glsubset::glEnable;
using glsubset::glEnd;
using glsubset::glEndList;
using glsubset::glFinish;
using glsubset::glFrustum;
using glsubset::glGenLists;
using glsubset::glGenTextures;
using glsubset::glGetError;
using glsubset::glGetIntegerv;
using glsubset::glLightfv;
using glsubset::glLineStipple;
using glsubset::glLineWidth;
using glsubset::glListBase;
using glsubset::glLoadIdentity;
using glsubset::glLoadMatrixf;
using glsubset::glMatrixMode;
using glsubset::glNewList;
using glsubset::glNormal3f;
using glsubset::glOrtho;
using glsubset::glPixelStorei;
using glsubset::glPopAttrib;
using glsubset::glPopClientAttrib;
using glsubset::glPopMatrix;
using glsubset::glPushAttrib;
using glsubset::glPushClientAttrib;
using glsubset::glPushMatrix;
using glsubset::glRasterPos2i;
using glsubset::glShadeModel;
using glsubset::glTexCoord2f;
using glsubset::glTexEnvi;
using glsubset::glTexParameteri;
using glsubset::glTranslatef;
using glsubset::glVertex2f;
using glsubset::glVertex3f;
using glsubset::glViewport;
