// MessageBoxA: the caption and the text go to standard error and, when a
// display is there, into a message box with one OK button that Enter and
// Escape dismiss. A box that the display cannot show is reported there too.
#include <SDL2/SDL.h>
#include <windows.h>

#include <cstdio>

#include "Cp1251.h"
#include "Video.h"
#include "WindowRecord.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::string utf8Caption = cp1251::ToUtf8(caption ? caption : "Error");
  std::string utf8Text = cp1251::ToUtf8(text ? text : "");
  std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
  std::fflush(stderr);

  // The box comes from the display's own driver; without a display,
  // standard error is all there is.
  if (winlayer::StartVideo()) {
    WindowRecord* parent = winlayer::LiveWindow(owner);
    SDL_MessageBoxButtonData ok{};
    ok.flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    ok.buttonid = IDOK;
    ok.text = "OK";
    SDL_MessageBoxData box{};
    box.flags = (type & 0xF0) == MB_ICONERROR ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    box.window = parent != nullptr ? parent->sdl : nullptr;
    box.title = utf8Caption.c_str();
    box.message = utf8Text.c_str();
    box.numbuttons = 1;
    box.buttons = &ok;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
      // As on Windows, a box that could not be made returns 0; the text
      // above has still reached standard error.
      std::fprintf(stderr, "MessageBoxA: the box could not be shown: %s\n", SDL_GetError());
      std::fflush(stderr);
      return 0;
    }
  }
  return IDOK;
}
