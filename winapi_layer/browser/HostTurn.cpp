// A page's turns: the program's code runs inside the browser's own loop,
// so where it waits, the layer returns to the browser (ASYNCIFY unwinds the
// program's stack and winds it up again when the browser calls back).
// After a frame the program goes on at the browser's next animation frame,
// which paces drawing to the display as a swap interval of 1 would; on an
// empty queue it sleeps a few milliseconds, so that a program that polls
// without drawing keeps no core busy. An empty queue right after a frame
// goes on at once: the browser has just had its turn.
#include <SDL2/SDL.h>
#include <emscripten.h>

#include "HostTurn.h"

namespace {

constexpr unsigned kIdleMilliseconds = 8;
bool frameJustShown = false;

// clang-format off
EM_ASYNC_JS(void, NextAnimationFrame, (), {
  await new Promise(function(resolve) { requestAnimationFrame(function() { resolve(); }); });
});
// clang-format on

}  // namespace

namespace winlayer {

void HostTurnOnEmptyQueue() {
  if (frameJustShown) {
    frameJustShown = false;
    return;
  }
  emscripten_sleep(kIdleMilliseconds);
}

void HostTurnOnFrame() {
  // SDL's own turn after a swap, a sleep of no time, would come on top of
  // this one.
  static const bool sdlTurnOff = SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
  (void)sdlTurnOff;
  NextAnimationFrame();
  frameJustShown = true;
}

}  // namespace winlayer
