// Looks the ES 2.0 calls up through SDL, which finds them in whichever
// library (EGL, GLX, a browser's WebGL) made the context.
#include "Es2.h"

#include <SDL2/SDL.h>

namespace glsubset {

const Es2* LoadEs2() {
  static Es2 table;
  static enum { NotTried, Loaded, Missing } state = NotTried;
  if (state == NotTried) {
    bool complete = true;
#define GLSUBSET_ES2_LOOKUP(type, name)                                   \
  table.name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name)); \
  complete = complete && table.name != nullptr;
    GLSUBSET_ES2_CALLS(GLSUBSET_ES2_LOOKUP)
#undef GLSUBSET_ES2_LOOKUP
    state = complete ? Loaded : Missing;
  }
  return state == Loaded ? &table : nullptr;
}

}  // namespace glsubset
