#include "Video.h"

#include <SDL2/SDL.h>

#include <string>

#include "GlContexts.h"

namespace winlayer {

void ApplyCursorVisibility();  // Cursor.cpp

namespace {

enum class VideoState { NotTried, Running, Failed };
VideoState state = VideoState::NotTried;

// Without a display SDL falls back to drivers that draw nowhere; a window
// there would be one that nobody sees, so it counts as no display unless
// SDL_VIDEODRIVER asked for that driver by name.
bool OnlyInvisibleDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return true;
  std::string name = driver;
  if (name != "offscreen" && name != "dummy") return false;
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  return asked == nullptr || std::string(asked).find(name) == std::string::npos;
}

}  // namespace

bool StartVideo() {
  if (state == VideoState::NotTried) {
    // Windows' behaviour where SDL would differ: Ctrl+C ends the process,
    // a full-screen window stays when it loses the focus, the click that
    // activates a window reaches it, the pointer is not captured while a
    // button is held, and the screen saver may run.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && !OnlyInvisibleDriver()) {
      state = VideoState::Running;
      // Key messages carry the keys; no input method should take them.
      SDL_StopTextInput();
      SetWindowFormat(24);
      ApplyCursorVisibility();
    } else {
      if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
      state = VideoState::Failed;
    }
  }
  return state == VideoState::Running;
}

bool VideoStarted() { return state == VideoState::Running; }

void SetWindowFormat(int depthBits) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // No alpha channel: a translucent clear colour must not make the window
  // see-through under a compositing window manager.
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  RequestGlContext();
}

}  // namespace winlayer
