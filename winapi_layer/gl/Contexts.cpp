// Rendering contexts of the subset: each carries a Context, made with the
// WGL context and current with it. SDL is asked for OpenGL ES 2.0 exactly.
#include <SDL2/SDL.h>

#include <cmath>

#include "Context.h"
#include "GlContexts.h"

namespace winlayer {

struct GlState {
  glsubset::Context context;
};

void RequestGlContext() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
}

namespace {
GlState* current = nullptr;
}  // namespace

GlState* NewGlState() { return new GlState; }

void UseGlState(GlState* state) {
  current = state;
  if (state == nullptr) return;
  glsubset::Context& c = state->context;
  glsubset::Renderer& r = c.renderer;
  if (r.es != nullptr) return;
  // The first time: the ES objects every draw uses, and the viewport that
  // OpenGL starts with, the whole window.
  r.es = glsubset::LoadEs2();
  if (r.es == nullptr) return;
  r.es->GenBuffers(1, &r.buffer);
  r.es->BindBuffer(GL_ARRAY_BUFFER, r.buffer);
  glsubset::SetUpVertexLayout(*r.es);
  r.es->GetIntegerv(GL_MAX_TEXTURE_SIZE, &r.largestTexture);
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &width, &height);
  c.viewport = {0, 0, width, height};
}

void DeleteGlState(GlState* state) {
  if (state == current) current = nullptr;
  delete state;
}

}  // namespace winlayer

namespace glsubset {

Context* Current() {
  // A context whose host lacks ES 2 draws nothing.
  if (winlayer::current == nullptr || winlayer::current->context.renderer.es == nullptr) return nullptr;
  return &winlayer::current->context;
}

void SetError(Context& c, GLenum error) {
  if (c.error == GL_NO_ERROR) c.error = error;
}

GLenum glGetError() {
  Context* c = Current();
  if (c == nullptr) return GL_NO_ERROR;
  const GLenum error = c->error;
  c->error = GL_NO_ERROR;
  return error;
}

std::array<float, 4> LitColour(const Context& c, const std::array<float, 4>& colour,
                               const std::array<float, 3>& normal) {
  std::array<float, 4> out = colour;
  if (c.lighting) {
    // Colour material makes the colour both the ambient and the diffuse
    // reflectance; without it they are OpenGL's defaults, 0.2 and 0.8.
    const std::array<float, 4> ambient =
        c.colourMaterial ? colour : std::array<float, 4>{0.2f, 0.2f, 0.2f, 1};
    const std::array<float, 4> diffuse =
        c.colourMaterial ? colour : std::array<float, 4>{0.8f, 0.8f, 0.8f, 1};
    const Matrix& mv = c.modelview.back();
    const std::array<float, 9> n = NormalMatrix(mv);
    float eye[3];
    for (int i = 0; i < 3; ++i) eye[i] = n[i] * normal[0] + n[3 + i] * normal[1] + n[6 + i] * normal[2];
    float d = eye[0] * c.lightDirection[0] + eye[1] * c.lightDirection[1] + eye[2] * c.lightDirection[2];
    if (d < 0 || !c.light0) d = 0;
    for (int i = 0; i < 3; ++i) out[i] = 0.2f * ambient[i] + d * diffuse[i];
    out[3] = diffuse[3];
  }
  for (float& v : out) v = std::fmin(1.0f, std::fmax(0.0f, v));
  return out;
}

std::array<float, 3> WindowFromClip(const Context& c, const Vec4& clip) {
  const float half[2] = {c.viewport[2] / 2.0f, c.viewport[3] / 2.0f};
  return {clip[0] / clip[3] * half[0] + (c.viewport[0] + half[0]),
          clip[1] / clip[3] * half[1] + (c.viewport[1] + half[1]), clip[2] / clip[3] * 0.5f + 0.5f};
}

std::array<float, 3> NdcFromWindow(const Context& c, float x, float y, float z) {
  return {static_cast<float>((x - c.viewport[0]) * 2.0 / c.viewport[2] - 1.0),
          static_cast<float>((y - c.viewport[1]) * 2.0 / c.viewport[3] - 1.0), z * 2.0f - 1.0f};
}

}  // namespace glsubset
