// A page's turns: the program's code runs inside the browser's own loop,
// so where it waits, the layer returns to the browser (ASYNCIFY unwinds the
// program's stack and winds it up again when the browser calls back).
// After a frame the program goes on as soon as the browser has had its turn
// (a sleep of no time): like SwapBuffers without a swap interval, drawing is
// not held to the display's refresh, and a program that draws in a loop
// counts the frames it draws as it does on the desktop. On an empty queue
// it sleeps a few milliseconds, so that a program that polls without
// drawing keeps no core busy; an empty queue right after a frame goes on at
// once, the browser having just had its turn.
#include <SDL2/SDL.h>
#include <emscripten.h>

#include "HostTurn.h"

namespace {

constexpr unsigned kIdleMilliseconds = 8;
bool frameJustShown = false;

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
  // SDL's own turn after a swap, the same sleep, would come on top of
  // this one.
  static const bool sdlTurnOff = SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
  (void)sdlTurnOff;
  emscripten_sleep(0);
  frameJustShown = true;
}

}  // namespace winlayer
