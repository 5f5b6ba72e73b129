// The system's OpenGL 1.1: its state lives in SDL's context.
#include <SDL2/SDL.h>

#include "GlContexts.h"

namespace winlayer {

void RequestGlContext() {
  // OpenGL 1.1 immediate mode, lighting and display lists: a context of
  // the old kind, which Mesa gives as its compatibility profile.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}

GlState* NewGlState() { return nullptr; }
void UseGlState(GlState*) {}
void DeleteGlState(GlState*) {}

}  // namespace winlayer
