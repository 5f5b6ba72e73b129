// The fixed-function pipeline the games use, as shaders of OpenGL ES 2.0
// and GLSL ES 1.00: one light in eye space with colour material, texture
// environments, the alpha test and bitmaps. Each combination of that state
// gets a shader pair of its own, made on first use.
#include <SDL2/SDL.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "Context.h"

namespace glsubset {

namespace {

enum Attribute : GLuint { kPosition, kColour, kNormal, kTexCoord };

// Shaders that are not GLSL ES 1.00 (a host that takes #version 100 for
// something newer) fail to compile rather than run with more than WebGL 1
// would give.
const char* const kVertexShader = R"(
#if __VERSION__ != 100
#error GLSL ES 1.00 only
#endif
attribute vec3 position;
attribute vec4 colour;
attribute vec3 normal;
attribute vec2 texCoord;
uniform mat4 mvp;
varying vec4 vColour;
varying vec2 vTexCoord;
#ifdef LIGHTING
uniform mat3 normalMatrix;
uniform vec3 light;         // toward the light, in eye space
uniform vec3 lightDiffuse;  // black while the light is off
#endif
void main() {
  gl_Position = mvp * vec4(position, 1.0);
  vec4 c = colour;
#ifdef LIGHTING
#ifdef COLOUR_MATERIAL
  vec4 ambient = colour;
  vec4 diffuse = colour;
#else
  vec4 ambient = vec4(0.2, 0.2, 0.2, 1.0);
  vec4 diffuse = vec4(0.8, 0.8, 0.8, 1.0);
#endif
  // Normals are used as given, not made of unit length.
  float d = max(dot(normalMatrix * normal, light), 0.0);
  c = vec4(0.2 * ambient.rgb + d * lightDiffuse * diffuse.rgb, diffuse.a);
#endif
  vColour = clamp(c, 0.0, 1.0);
  vTexCoord = texCoord;
}
)";

const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
varying vec4 vColour;
varying vec2 vTexCoord;
#if STAGE != 0
uniform sampler2D sampler;
#endif
#ifdef ALPHA_TEST
uniform float alphaReference;  // in steps of 1/255
#endif
void main() {
  vec4 c = vColour;
#if STAGE == 1
  c *= texture2D(sampler, vTexCoord);
#elif STAGE == 2
  vec4 t = texture2D(sampler, vTexCoord);
  c = vec4(mix(c.rgb, t.rgb, t.a), c.a);
#elif STAGE == 3
  c = texture2D(sampler, vTexCoord);
#elif STAGE == 4
  if (texture2D(sampler, vTexCoord).a < 0.5) discard;
#endif
#ifdef ALPHA_TEST
  // Compared as an 8-bit colour buffer holds alpha.
  float a = floor(c.a * 255.0 + 0.5);
  if (!(ALPHA_TEST)) discard;
#endif
  gl_FragColor = c;
}
)";

// The alpha test's comparison for GL_NEVER..GL_ALWAYS.
const char* const kAlphaComparisons[] = {"false",
                                         "a < alphaReference",
                                         "a == alphaReference",
                                         "a <= alphaReference",
                                         "a > alphaReference",
                                         "a != alphaReference",
                                         "a >= alphaReference",
                                         "true"};

GLuint Compile(const Es2& es, GLenum type, const std::string& prefix, const char* body) {
  const GLuint shader = es.CreateShader(type);
  const std::string head = "#version 100\n" + prefix;
  const char* sources[2] = {head.c_str(), body};
  es.ShaderSource(shader, 2, sources, nullptr);
  es.CompileShader(shader);
  GLint ok = GL_FALSE;
  es.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = "";
    es.GetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "OpenGL subset: a shader does not compile: %s\n", log);
  }
  return shader;
}

Program MakeProgram(const Es2& es, const ProgramKey& key) {
  std::string defines;
  if (key.lighting) defines += "#define LIGHTING\n";
  if (key.colourMaterial) defines += "#define COLOUR_MATERIAL\n";
  defines += "#define STAGE " + std::to_string(key.texture) + "\n";
  if (key.alpha != 0)
    defines += std::string("#define ALPHA_TEST (") + kAlphaComparisons[key.alpha - 1] + ")\n";
  Program p;
  p.es = es.CreateProgram();
  const GLuint vertex = Compile(es, GL_VERTEX_SHADER, defines, kVertexShader);
  const GLuint fragment = Compile(es, GL_FRAGMENT_SHADER, defines, kFragmentShader);
  es.AttachShader(p.es, vertex);
  es.AttachShader(p.es, fragment);
  es.BindAttribLocation(p.es, kPosition, "position");
  es.BindAttribLocation(p.es, kColour, "colour");
  es.BindAttribLocation(p.es, kNormal, "normal");
  es.BindAttribLocation(p.es, kTexCoord, "texCoord");
  es.LinkProgram(p.es);
  es.DeleteShader(vertex);
  es.DeleteShader(fragment);
  GLint ok = GL_FALSE;
  es.GetProgramiv(p.es, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = "";
    es.GetProgramInfoLog(p.es, sizeof log, nullptr, log);
    std::fprintf(stderr, "OpenGL subset: shaders do not link: %s\n", log);
  }
  p.mvp = es.GetUniformLocation(p.es, "mvp");
  p.normalMatrix = es.GetUniformLocation(p.es, "normalMatrix");
  p.light = es.GetUniformLocation(p.es, "light");
  p.lightDiffuse = es.GetUniformLocation(p.es, "lightDiffuse");
  p.alphaReference = es.GetUniformLocation(p.es, "alphaReference");
  p.sampler = es.GetUniformLocation(p.es, "sampler");
  es.UseProgram(p.es);
  if (p.sampler >= 0) es.Uniform1i(p.sampler, 0);
  return p;
}

template <typename T>
bool Changed(T& last, const T& now) {
  if (std::memcmp(&last, &now, sizeof now) == 0) return false;
  last = now;
  return true;
}

// Which texture the fragments take, and the ES texture it is.
int TextureStageOf(Context& c, GLuint& esTexture) {
  if (!c.texture2D) return kNoTexture;
  auto found = c.textures.find(c.boundTexture);
  if (found == c.textures.end() || !found->second.Complete()) return kNoTexture;
  esTexture = found->second.es;
  switch (c.textureEnvMode) {
    case GL_DECAL:
      return kDecal;
    case GL_REPLACE:
      return kReplace;
    default:
      return kModulate;
  }
}

}  // namespace

void SetUpVertexLayout(const Es2& es) {
  static const struct {
    Attribute index;
    GLint size;
    size_t offset;
  } kLayout[] = {{kPosition, 3, offsetof(Vertex, position)},
                 {kColour, 4, offsetof(Vertex, colour)},
                 {kNormal, 3, offsetof(Vertex, normal)},
                 {kTexCoord, 2, offsetof(Vertex, texCoord)}};
  // The pointers name the one buffer, whatever store it is given later.
  for (const auto& a : kLayout) {
    es.EnableVertexAttribArray(a.index);
    es.VertexAttribPointer(a.index, a.size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                           reinterpret_cast<const void*>(a.offset));
  }
}

uint32_t ProgramKey::Packed() const {
  return (lighting ? 1u : 0u) | (colourMaterial ? 2u : 0u) | static_cast<uint32_t>(texture) << 2 |
         static_cast<uint32_t>(alpha) << 5;
}

bool TextureObject::Complete() const {
  if (width == 0 || height == 0) return false;
  if (minFilter == GL_NEAREST || minFilter == GL_LINEAR) return true;
  int full = 1;
  for (int side = width > height ? width : height; side > 1; side /= 2) ++full;
  return levels >= full;
}

void Draw(Context& c, GLenum mode, const std::vector<Vertex>& vertices, Space space, bool bitmap) {
  if (vertices.empty()) return;
  Renderer& r = c.renderer;
  const Es2& es = *r.es;

  ProgramKey key;
  GLuint esTexture = 0;
  if (bitmap) {
    key.texture = kBitmapMask;
    esTexture = r.atlas;
  } else {
    key.lighting = c.lighting;
    key.colourMaterial = c.lighting && c.colourMaterial;
    key.texture = TextureStageOf(c, esTexture);
  }
  if (c.alphaTest && c.alphaFunction != GL_ALWAYS)
    key.alpha = 1 + static_cast<int>(c.alphaFunction - GL_NEVER);
  auto found = r.programs.find(key.Packed());
  if (found == r.programs.end()) found = r.programs.emplace(key.Packed(), MakeProgram(es, key)).first;
  Program& p = found->second;
  if (r.current != &p) {
    es.UseProgram(p.es);
    r.current = &p;
  }

  const Matrix mvp =
      space == Space::Window ? IdentityMatrix() : Multiply(c.projection.back(), c.modelview.back());
  if (Changed(p.lastMvp, mvp) || p.fresh) es.UniformMatrix4fv(p.mvp, 1, GL_FALSE, mvp.data());
  if (key.lighting) {
    const std::array<float, 9> normalMatrix = NormalMatrix(c.modelview.back());
    if (Changed(p.lastNormalMatrix, normalMatrix) || p.fresh)
      es.UniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normalMatrix.data());
    if (Changed(p.lastLight, c.lightDirection) || p.fresh) es.Uniform3fv(p.light, 1, c.lightDirection.data());
    const float on = c.light0 ? 1.0f : 0.0f;
    const std::array<float, 3> diffuse{on, on, on};
    if (Changed(p.lastLightDiffuse, diffuse) || p.fresh) es.Uniform3fv(p.lightDiffuse, 1, diffuse.data());
  }
  if (key.alpha != 0) {
    const float reference = std::floor(std::fmin(1.0f, std::fmax(0.0f, c.alphaReference)) * 255.0f + 0.5f);
    if (Changed(p.lastAlphaReference, reference) || p.fresh) es.Uniform1f(p.alphaReference, reference);
  }
  p.fresh = false;

  if (key.texture != kNoTexture && r.boundTexture != esTexture) {
    es.BindTexture(GL_TEXTURE_2D, esTexture);
    r.boundTexture = esTexture;
  }
  // Faces are culled as OpenGL culls them; lines and bitmaps never.
  const bool cull = c.cullFace && space == Space::Object && mode == GL_TRIANGLES;
  if (cull != r.cullFace) {
    cull ? es.Enable(GL_CULL_FACE) : es.Disable(GL_CULL_FACE);
    r.cullFace = cull;
  }
  if (cull && r.cullFaceMode != c.cullFaceMode) {
    es.CullFace(c.cullFaceMode);
    r.cullFaceMode = c.cullFaceMode;
  }

  // A fresh store for every draw: the host never waits for a draw that
  // still reads the previous one.
  es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                GL_STREAM_DRAW);
  es.DrawArrays(mode, 0, static_cast<GLsizei>(vertices.size()));
}

}  // namespace glsubset
