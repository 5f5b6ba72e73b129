// The state calls: capabilities, the alpha test, faces, shading, the light,
// lines, the attribute stacks, the frame, and the matrix stacks, which are
// kept here and given to the shaders with each draw.
#include <algorithm>
#include <cmath>

#include "Context.h"

namespace glsubset {

namespace {

// OpenGL keeps at least 32 model-view and 2 projection matrices; we keep
// 32 of each.
constexpr size_t kStackDepth = 32;
constexpr size_t kAttribDepth = 16;

bool* Capability(Context& c, GLenum capability) {
  switch (capability) {
    case GL_LIGHTING:
      return &c.lighting;
    case GL_LIGHT0:
      return &c.light0;
    case GL_TEXTURE_2D:
      return &c.texture2D;
    case GL_ALPHA_TEST:
      return &c.alphaTest;
    case GL_COLOR_MATERIAL:
      return &c.colourMaterial;
    case GL_CULL_FACE:
      return &c.cullFace;
    case GL_LINE_STIPPLE:
      return &c.lineStipple;
    default:
      return nullptr;
  }
}

void SetCapability(GLenum capability, bool on) {
  Context* c = Current();
  if (c == nullptr) return;
  bool* flag = Capability(*c, capability);
  if (flag == nullptr) return SetError(*c, GL_INVALID_ENUM);
  *flag = on;
}

// The current matrix becomes current × m.
void MultiplyCurrent(const Matrix& m) {
  Context* c = Current();
  if (c == nullptr) return;
  c->Stack().back() = Multiply(c->Stack().back(), m);
}

}  // namespace

void glEnable(GLenum capability) { SetCapability(capability, true); }
void glDisable(GLenum capability) { SetCapability(capability, false); }

void glAlphaFunc(GLenum function, GLclampf reference) {
  Context* c = Current();
  if (c == nullptr) return;
  if (function < GL_NEVER || function > GL_ALWAYS) return SetError(*c, GL_INVALID_ENUM);
  c->alphaFunction = function;
  c->alphaReference = reference;
}

void glCullFace(GLenum face) {
  Context* c = Current();
  if (c == nullptr) return;
  if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) return SetError(*c, GL_INVALID_ENUM);
  c->cullFaceMode = face;
}

void glShadeModel(GLenum model) {
  Context* c = Current();
  if (c == nullptr) return;
  if (model != GL_FLAT && model != GL_SMOOTH) return SetError(*c, GL_INVALID_ENUM);
  c->shadeModel = model;
}

void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
  Context* c = Current();
  if (c == nullptr) return;
  if (light != GL_LIGHT0 || name != GL_POSITION) return SetError(*c, GL_INVALID_ENUM);
  // Only a directional light (w = 0) is drawn.
  if (values[3] != 0.0f) return SetError(*c, GL_INVALID_VALUE);
  // The position is taken through the model-view matrix of this moment.
  const Vec4 eye = Transform(c->modelview.back(), {values[0], values[1], values[2], values[3]});
  const float length = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
  if (length > 0) c->lightDirection = {eye[0] / length, eye[1] / length, eye[2] / length};
}

void glLineWidth(GLfloat width) {
  Context* c = Current();
  if (c == nullptr) return;
  if (!(width > 0)) return SetError(*c, GL_INVALID_VALUE);
  c->lineWidth = width;
}

void glLineStipple(GLint factor, GLushort pattern) {
  Context* c = Current();
  if (c == nullptr) return;
  c->stippleFactor = std::min(256, std::max(1, factor));
  c->stipplePattern = pattern;
}

void glPushAttrib(GLbitfield mask) {
  Context* c = Current();
  if (c == nullptr) return;
  if (mask != GL_LIST_BIT) return SetError(*c, GL_INVALID_VALUE);
  if (c->listBaseStack.size() == kAttribDepth) return SetError(*c, GL_STACK_OVERFLOW);
  c->listBaseStack.push_back(c->listBase);
}

void glPopAttrib() {
  Context* c = Current();
  if (c == nullptr) return;
  if (c->listBaseStack.empty()) return SetError(*c, GL_STACK_UNDERFLOW);
  c->listBase = c->listBaseStack.back();
  c->listBaseStack.pop_back();
}

void glPixelStorei(GLenum name, GLint value) {
  Context* c = Current();
  if (c == nullptr) return;
  PixelStore& u = c->unpack;
  switch (name) {
    case GL_UNPACK_SWAP_BYTES:
      return;  // bitmaps are bytes: nothing to swap
    case GL_UNPACK_LSB_FIRST:
      u.lsbFirst = value != 0;
      return;
    case GL_UNPACK_ALIGNMENT:
      if (value != 1 && value != 2 && value != 4 && value != 8) return SetError(*c, GL_INVALID_VALUE);
      u.alignment = value;
      return;
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
      if (value < 0) return SetError(*c, GL_INVALID_VALUE);
      (name == GL_UNPACK_ROW_LENGTH  ? u.rowLength
       : name == GL_UNPACK_SKIP_ROWS ? u.skipRows
                                     : u.skipPixels) = value;
      return;
    default:
      return SetError(*c, GL_INVALID_ENUM);
  }
}

void glPushClientAttrib(GLbitfield mask) {
  Context* c = Current();
  if (c == nullptr) return;
  if (mask != GL_CLIENT_PIXEL_STORE_BIT) return SetError(*c, GL_INVALID_VALUE);
  if (c->unpackStack.size() == kAttribDepth) return SetError(*c, GL_STACK_OVERFLOW);
  c->unpackStack.push_back(c->unpack);
}

void glPopClientAttrib() {
  Context* c = Current();
  if (c == nullptr) return;
  if (c->unpackStack.empty()) return SetError(*c, GL_STACK_UNDERFLOW);
  c->unpack = c->unpackStack.back();
  c->unpackStack.pop_back();
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  Context* c = Current();
  if (c == nullptr) return;
  if (width < 0 || height < 0) return SetError(*c, GL_INVALID_VALUE);
  c->viewport = {x, y, width, height};
  c->renderer.es->Viewport(x, y, width, height);
}

void glGetIntegerv(GLenum name, GLint* values) {
  Context* c = Current();
  if (c == nullptr) return;
  if (name != GL_VIEWPORT) return SetError(*c, GL_INVALID_ENUM);
  std::copy(c->viewport.begin(), c->viewport.end(), values);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  if (Context* c = Current()) c->renderer.es->ClearColor(red, green, blue, alpha);
}

void glClear(GLbitfield mask) {
  Context* c = Current();
  if (c == nullptr) return;
  if ((mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) != 0) return SetError(*c, GL_INVALID_VALUE);
  c->renderer.es->Clear(mask);
}

void glFinish() {
  if (Context* c = Current()) c->renderer.es->Finish();
}

void glMatrixMode(GLenum mode) {
  Context* c = Current();
  if (c == nullptr) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION) return SetError(*c, GL_INVALID_ENUM);
  c->matrixMode = mode;
}

void glLoadIdentity() {
  if (Context* c = Current()) c->Stack().back() = IdentityMatrix();
}

void glLoadMatrixf(const GLfloat* m) {
  Context* c = Current();
  if (c == nullptr) return;
  std::copy(m, m + 16, c->Stack().back().begin());
}

void glPushMatrix() {
  Context* c = Current();
  if (c == nullptr) return;
  std::vector<Matrix>& stack = c->Stack();
  if (stack.size() == kStackDepth) return SetError(*c, GL_STACK_OVERFLOW);
  stack.push_back(stack.back());
}

void glPopMatrix() {
  Context* c = Current();
  if (c == nullptr) return;
  std::vector<Matrix>& stack = c->Stack();
  if (stack.size() == 1) return SetError(*c, GL_STACK_UNDERFLOW);
  stack.pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(TranslationMatrix(x, y, z)); }

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
  Context* c = Current();
  if (c == nullptr) return;
  if (zNear <= 0 || zFar <= 0 || left == right || bottom == top || zNear == zFar)
    return SetError(*c, GL_INVALID_VALUE);
  MultiplyCurrent(FrustumMatrix(static_cast<float>(left), static_cast<float>(right),
                                static_cast<float>(bottom), static_cast<float>(top),
                                static_cast<float>(zNear), static_cast<float>(zFar)));
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
  Context* c = Current();
  if (c == nullptr) return;
  if (left == right || bottom == top || zNear == zFar) return SetError(*c, GL_INVALID_VALUE);
  MultiplyCurrent(OrthoMatrix(static_cast<float>(left), static_cast<float>(right), static_cast<float>(bottom),
                              static_cast<float>(top), static_cast<float>(zNear), static_cast<float>(zFar)));
}

}  // namespace glsubset
