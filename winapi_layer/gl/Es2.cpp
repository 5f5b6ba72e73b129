// Looks the ES 2.0 calls up through SDL, which finds them in whichever
// library (EGL, GLX, a browser's WebGL) made the context.
#include "Es2.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace glsubset {

const Es2* LoadEs2() {
  static Es2 table;
  static enum { NotTried, Loaded, Missing } state = NotTried;
  if (state == NotTried) {
    const char* missing = nullptr;
#define GLSUBSET_ES2_LOOKUP(type, name)                                   \
  table.name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name)); \
  if (table.name == nullptr && missing == nullptr) missing = "gl" #name;
    GLSUBSET_ES2_CALLS(GLSUBSET_ES2_LOOKUP)
#undef GLSUBSET_ES2_LOOKUP
    state = missing == nullptr ? Loaded : Missing;
    // Nothing will be drawn: say why, once.
    if (missing != nullptr) std::fprintf(stderr, "OpenGL subset: the host's OpenGL ES lacks %s\n", missing);
  }
  return state == Loaded ? &table : nullptr;
}

}  // namespace glsubset
