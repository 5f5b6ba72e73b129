// One rendering context's OpenGL 1.1 state, kept on the processor, and what
// the subset's files share to draw it through OpenGL ES 2.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "Es2.h"
#include "Matrix.h"

namespace glsubset {

// One vertex as the shaders take it.
struct Vertex {
  float position[3];
  float colour[4];
  float normal[3];
  float texCoord[2];
};

// A bitmap of a display list: its bits one byte a pixel (0 or 255), rows
// from the bottom, and where it lies in the context's glyph atlas.
struct Bitmap {
  int width = 0;
  int height = 0;
  float xorig = 0, yorig = 0, xmove = 0, ymove = 0;
  std::vector<uint8_t> bits;
  int atlasX = -1;
  int atlasY = -1;
};

struct DisplayList {
  std::vector<Bitmap> bitmaps;
};

struct TextureObject {
  GLuint es = 0;  // the ES texture, made with the first image
  int width = 0;
  int height = 0;
  int levels = 0;
  GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;
  GLenum magFilter = GL_LINEAR;
  // Without every level its filter needs, a texture is as if texturing
  // were off.
  bool Complete() const;
};

struct PixelStore {
  bool lsbFirst = false;
  int rowLength = 0;
  int skipRows = 0;
  int skipPixels = 0;
  int alignment = 4;
};

// A shader pair for one combination of the fixed-function state.
struct ProgramKey {
  bool lighting = false;
  bool colourMaterial = false;
  int texture = 0;  // a TextureStage
  int alpha = 0;    // 0: no test, else 1 + (function - GL_NEVER)
  uint32_t Packed() const;
};
enum TextureStage { kNoTexture, kModulate, kDecal, kReplace, kBitmapMask };

struct Program {
  GLuint es = 0;
  GLint mvp = -1, normalMatrix = -1, light = -1, lightDiffuse = -1, alphaReference = -1, sampler = -1;
  // What was last given to its uniforms, to give only changes.
  Matrix lastMvp{};
  std::array<float, 9> lastNormalMatrix{};
  std::array<float, 3> lastLight{}, lastLightDiffuse{};
  float lastAlphaReference = -1;
  bool fresh = true;
};

// The ES objects of a context and the ES state last set, made the first
// time the context is current.
struct Renderer {
  const Es2* es = nullptr;
  GLuint buffer = 0;
  std::map<uint32_t, Program> programs;
  const Program* current = nullptr;
  GLuint boundTexture = 0;
  bool cullFace = false;
  GLenum cullFaceMode = GL_BACK;
  // The glyph atlas: every list's bitmaps side by side in one texture,
  // placed on shelves.
  GLuint atlas = 0;
  int atlasWidth = 0;
  int atlasHeight = 0;
  std::vector<uint8_t> atlasPixels;
  int shelfX = 0, shelfY = 0, shelfHeight = 0;
  bool atlasChanged = false;
  int largestTexture = 0;
};

struct Context {
  // Matrices.
  GLenum matrixMode = GL_MODELVIEW;
  std::vector<Matrix> modelview{IdentityMatrix()};
  std::vector<Matrix> projection{IdentityMatrix()};
  std::vector<Matrix>& Stack() { return matrixMode == GL_MODELVIEW ? modelview : projection; }

  // The current vertex attributes.
  std::array<float, 4> colour{1, 1, 1, 1};
  std::array<float, 3> normal{0, 0, 1};
  std::array<float, 2> texCoord{0, 0};

  // Capabilities and fixed-function state.
  bool lighting = false, light0 = false, texture2D = false, alphaTest = false, colourMaterial = false,
       cullFace = false, lineStipple = false;
  GLenum alphaFunction = GL_ALWAYS;
  float alphaReference = 0;
  GLenum cullFaceMode = GL_BACK;
  GLenum shadeModel = GL_SMOOTH;
  GLenum textureEnvMode = GL_MODULATE;
  std::array<float, 3> lightDirection{0, 0, 1};  // toward the light, in eye space, of unit length
  float lineWidth = 1;
  int stippleFactor = 1;
  uint16_t stipplePattern = 0xFFFF;
  std::array<int, 4> viewport{};  // x, y, width, height

  // Display lists and the raster position.
  GLuint nextList = 1;
  GLuint listBase = 0;
  std::vector<GLuint> listBaseStack;
  std::unordered_map<GLuint, DisplayList> lists;
  GLuint compiling = 0;  // the list between glNewList and glEndList
  DisplayList compiled;
  PixelStore unpack;
  std::vector<PixelStore> unpackStack;
  bool rasterValid = true;
  std::array<float, 3> rasterPosition{0, 0, 0};  // window coordinates
  std::array<float, 4> rasterColour{1, 1, 1, 1};

  // Textures by their names; 0 is the default texture.
  std::unordered_map<GLuint, TextureObject> textures;
  GLuint boundTexture = 0;

  // Between glBegin and glEnd.
  bool inBegin = false;
  GLenum primitive = 0;
  std::vector<Vertex> vertices;
  int stippleCounter = 0;

  GLenum error = GL_NO_ERROR;
  Renderer renderer;
};

// The current context, or nullptr.
Context* Current();
// The first error since glGetError was last called is the one kept.
void SetError(Context& c, GLenum error);

// The colour the light gives a vertex of this colour and normal, as the
// vertex shader computes it (for the raster position's colour).
std::array<float, 4> LitColour(const Context& c, const std::array<float, 4>& colour,
                               const std::array<float, 3>& normal);

// Window coordinates of a point in clip coordinates, and back to normalised
// device coordinates.
std::array<float, 3> WindowFromClip(const Context& c, const Vec4& clip);
std::array<float, 3> NdcFromWindow(const Context& c, float x, float y, float z);

// Draws ES primitives (GL_TRIANGLES or GL_LINES). Vertices given in window
// space are already in normalised device coordinates, and faces are not
// culled; others go through the matrices. A bitmap draw masks the raster
// colour with the glyph atlas.
enum class Space { Object, Window };
void Draw(Context& c, GLenum mode, const std::vector<Vertex>& vertices, Space space, bool bitmap = false);

// Points the shaders' attributes into the context's vertex buffer, bound.
void SetUpVertexLayout(const Es2& es);

// Brings the atlas texture up to date with every list's bitmaps.
void UpdateAtlas(Context& c);
// Places a bitmap in the atlas; false when the atlas is full.
bool PlaceInAtlas(Renderer& r, Bitmap& bitmap);

// Makes the ES texture of `name` current on the ES side, making it first
// when it has none yet.
TextureObject& BindEsTexture(Context& c, GLuint name);

}  // namespace glsubset
