// The program's window as a page shows it: its caption is the page's title,
// and a beep is nothing a page makes.
#include <SDL2/SDL.h>

#include <string>

namespace winlayer {

void RingBell(SDL_Window*) {}

// A browser collapses the spaces of a title and drops those at its ends;
// the captions space their figures with runs of them ("Gemora  от Vardelin
// 0   0"). No-break spaces look the same and stay as they are.
void SetHostTitle(SDL_Window* window, const char* utf8) {
  std::string title;
  for (const char* c = utf8; *c; ++c) title += *c == ' ' ? std::string("\xC2\xA0") : std::string(1, *c);
  SDL_SetWindowTitle(window, title.c_str());
}

}  // namespace winlayer
