// The program's window as a page shows it: its caption is the page's title,
// a beep is nothing a page makes, and the page's display keeps its mode: a
// window that covers the screen goes full screen at the player's first
// click (browsers allow it only then), scaled to fill the screen.
#include <SDL2/SDL.h>
#include <emscripten.h>

#include <string>

#include "DisplayModes.h"

namespace winlayer {

void RingBell(SDL_Window*) {}

bool HostChangesModes() { return false; }

namespace {
// clang-format off
EM_JS(void, AskPageFullScreen, (int on), {
  if (typeof Module.onFullScreen === "function") Module.onFullScreen(on !== 0);
});
// clang-format on
}  // namespace

void ShowFullScreenInPage(bool on) { AskPageFullScreen(on ? 1 : 0); }

// A browser collapses the spaces of a title and drops those at its ends;
// the captions space their figures with runs of them ("Gemora  от Vardelin
// 0   0"). No-break spaces look the same and stay as they are.
void SetHostTitle(SDL_Window* window, const char* utf8) {
  std::string title;
  for (const char* c = utf8; *c; ++c) title += *c == ' ' ? std::string("\xC2\xA0") : std::string(1, *c);
  SDL_SetWindowTitle(window, title.c_str());
}

}  // namespace winlayer
