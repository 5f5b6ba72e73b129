// Device contexts, the pixel format, WGL rendering contexts and the buffer
// swap, over SDL's OpenGL contexts.
//
// Every window is made with one pixel format (see Video.h), so a window
// offers exactly one: format 1.
#include <SDL2/SDL.h>
#include <windows.h>

#include <cstring>
#include <memory>

#include "GlContexts.h"
#include "HostTurn.h"
#include "Video.h"
#include "WindowRecord.h"

struct RenderContextRecord {
  SDL_GLContext context = nullptr;
  winlayer::GlState* state = nullptr;
  bool alive = true;
};

namespace {

constexpr DWORD kInvalidPixelFormatError = 2000;  // ERROR_INVALID_PIXEL_FORMAT
constexpr int kTheFormat = 1;

std::vector<std::unique_ptr<RenderContextRecord>> contexts;  // kept, like window records

RenderContextRecord* LiveContext(HGLRC context) {
  for (auto& c : contexts) {
    if (c.get() == context) return c->alive ? c.get() : nullptr;
  }
  return nullptr;
}

WindowRecord* CheckedWindowOf(HDC dc) {
  WindowRecord* w = winlayer::WindowOfDeviceContext(dc);
  if (w == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return w;
}

RenderContextRecord* currentContext = nullptr;

// Makes nothing current, in SDL and for the OpenGL state.
void ReleaseCurrent() {
  if (SDL_GL_GetCurrentContext() != nullptr) SDL_GL_MakeCurrent(nullptr, nullptr);
  winlayer::UseGlState(nullptr);
  currentContext = nullptr;
}

BOOL SwapIntervalExt(int interval) { return SDL_GL_SetSwapInterval(interval) == 0 ? TRUE : FALSE; }

// The caller casts the PROC back to the function's real type, as with WGL.
template <typename F>
PROC AsProc(F* function) {
  return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

HDC GetDC(HWND window) {
  WindowRecord* w = winlayer::LiveWindow(window);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return &w->dc;
}

int ReleaseDC(HWND window, HDC dc) {
  WindowRecord* w = winlayer::LiveWindow(window);
  return (w != nullptr && dc == &w->dc) ? 1 : 0;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
  if (CheckedWindowOf(dc) == nullptr) return 0;
  if (descriptor == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The closest format to any request is the only one there is.
  return kTheFormat;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* /*descriptor*/) {
  if (CheckedWindowOf(dc) == nullptr) return FALSE;
  // A window's pixel format is set once; setting the same one again is harmless.
  if (format != kTheFormat || (dc->pixelFormat != 0 && dc->pixelFormat != format)) {
    SetLastError(kInvalidPixelFormatError);
    return FALSE;
  }
  dc->pixelFormat = format;
  return TRUE;
}

BOOL SwapBuffers(HDC dc) {
  WindowRecord* w = CheckedWindowOf(dc);
  if (w == nullptr) return FALSE;
  SDL_GL_SwapWindow(w->sdl);
  winlayer::HostTurnOnFrame();
  return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
  WindowRecord* w = CheckedWindowOf(dc);
  if (w == nullptr) return nullptr;
  if (dc->pixelFormat == 0) {
    SetLastError(kInvalidPixelFormatError);
    return nullptr;
  }
  // SDL makes a new context current; WGL does not, so the context that
  // was current before (or none) comes back.
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previous = SDL_GL_GetCurrentContext();
  SDL_GLContext context = SDL_GL_CreateContext(w->sdl);
  SDL_GL_MakeCurrent(previous != nullptr ? previousWindow : nullptr, previous);
  if (context == nullptr) {
    SetLastError(kInvalidPixelFormatError);
    return nullptr;
  }
  contexts.push_back(std::make_unique<RenderContextRecord>());
  contexts.back()->context = context;
  contexts.back()->state = winlayer::NewGlState();
  return contexts.back().get();
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
  if (context == nullptr) {
    // Nothing current, whatever the device context.
    ReleaseCurrent();
    return TRUE;
  }
  RenderContextRecord* rc = LiveContext(context);
  WindowRecord* w = CheckedWindowOf(dc);
  if (rc == nullptr || w == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (dc->pixelFormat == 0) {
    SetLastError(kInvalidPixelFormatError);
    return FALSE;
  }
  if (SDL_GL_MakeCurrent(w->sdl, rc->context) != 0) return FALSE;
  winlayer::UseGlState(rc->state);
  currentContext = rc;
  return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
  RenderContextRecord* rc = LiveContext(context);
  if (rc == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (currentContext == rc || SDL_GL_GetCurrentContext() == rc->context) ReleaseCurrent();
  winlayer::DeleteGlState(rc->state);
  SDL_GL_DeleteContext(rc->context);
  rc->context = nullptr;
  rc->state = nullptr;
  rc->alive = false;
  return TRUE;
}

PROC wglGetProcAddress(LPCSTR name) {
  // As on Windows, nothing is found while no context is current.
  if (name == nullptr || SDL_GL_GetCurrentContext() == nullptr) return nullptr;
  if (std::strcmp(name, "wglSwapIntervalEXT") == 0) return AsProc(&SwapIntervalExt);
  return nullptr;
}
