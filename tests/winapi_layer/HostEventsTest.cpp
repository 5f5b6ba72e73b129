// The host's keys and window states in Windows' terms.
#include <gtest/gtest.h>

#include <optional>

#include "KeyMap.h"
#include "WindowState.h"

namespace {

using namespace winlayer;

TEST(KeyMap, KeysGiveWindowsMessagesCodesAndCharacters) {
  constexpr int kNone = -1;
  struct Case {
    const char* what;
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    uint32_t state;
    bool pressed;
    UINT message;
    WPARAM virtualKey;
    int typed;  // the character TranslateMessage posts
  };
  const Case cases[] = {
      {"a letter", SDL_SCANCODE_A, 'a', 0, true, WM_KEYDOWN, 'A', 'a'},
      {"a letter with Shift", SDL_SCANCODE_B, 'b', kShiftDown, true, WM_KEYDOWN, 'B', 'B'},
      {"a letter with Caps Lock", SDL_SCANCODE_Q, 'q', kCapsLockOn, true, WM_KEYDOWN, 'Q', 'Q'},
      {"a digit", SDL_SCANCODE_5, '5', 0, true, WM_KEYDOWN, '5', '5'},
      {"a Cyrillic layout: the key's place", SDL_SCANCODE_A, 0x0444, 0, true, WM_KEYDOWN, 'A', 'a'},
      {"an AZERTY layout: the letter typed", SDL_SCANCODE_Q, 'a', 0, true, WM_KEYDOWN, 'A', 'a'},
      {"Enter", SDL_SCANCODE_RETURN, SDLK_RETURN, 0, true, WM_KEYDOWN, VK_RETURN, 13},
      {"the keypad's Enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0, true, WM_KEYDOWN, VK_RETURN, 13},
      {"Backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, true, WM_KEYDOWN, VK_BACK, 8},
      {"Enter let go", SDL_SCANCODE_RETURN, SDLK_RETURN, 0, false, WM_KEYUP, VK_RETURN, kNone},
      {"Alt pressed", SDL_SCANCODE_LALT, SDLK_LALT, kAltDown, true, WM_SYSKEYDOWN, VK_MENU, kNone},
      {"F4 with Alt", SDL_SCANCODE_F4, SDLK_F4, kAltDown, true, WM_SYSKEYDOWN, VK_F4, kNone},
      {"Alt let go", SDL_SCANCODE_LALT, SDLK_LALT, 0, false, WM_SYSKEYUP, VK_MENU, kNone},
      {"AltGr, which is Ctrl+Alt", SDL_SCANCODE_E, 'e', kAltDown | kControlDown, true, WM_KEYDOWN, 'E',
       kNone},
  };
  for (const Case& c : cases) {
    auto key = MapKey(c.scancode, c.keycode, c.state, c.pressed, false);
    ASSERT_TRUE(key) << c.what;
    EXPECT_EQ(key->message, c.message) << c.what;
    EXPECT_EQ(key->virtualKey, c.virtualKey) << c.what;
    // Alt+F4 closes a window only with Alt's bit in the lParam.
    EXPECT_EQ((key->lParam >> 29) & 1, (c.state & kAltDown) ? 1 : 0) << c.what;
    std::optional<unsigned char> typed = c.pressed ? CharForKey(key->virtualKey, c.state) : std::nullopt;
    EXPECT_EQ(typed ? *typed : kNone, c.typed) << c.what;
  }
}

// From the state the program knows to the state the host shows.
TEST(WindowState, HostChangesComeAsTheSystemCommandFirstThenTheSize) {
  const HostView normal{ShowState::Normal, 640, 480}, maximized{ShowState::Maximized, 1024, 740},
      minimized{ShowState::Minimized, 640, 480};
  struct Case {
    const char* what;
    HostView known, now;
    UINT command;
    bool sized;
    WPARAM sizeType;
    LPARAM size;
  };
  const Case cases[] = {
      {"restored", maximized, normal, SC_RESTORE, true, SIZE_RESTORED, MAKELPARAM(640, 480)},
      {"minimised: no client area", normal, minimized, SC_MINIMIZE, true, SIZE_MINIMIZED, 0},
      {"resized", normal, {ShowState::Normal, 800, 600}, 0, true, SIZE_RESTORED, MAKELPARAM(800, 600)},
      {"unchanged", normal, normal, 0, false, SIZE_RESTORED, 0},
      {"minimised, the host's size aside",
       minimized,
       {ShowState::Minimized, 10, 10},
       0,
       false,
       SIZE_MINIMIZED,
       0},
  };
  for (const Case& c : cases) {
    SizeNotice n = DiffWindowState(c.known, c.now, std::nullopt);
    EXPECT_EQ(n.sysCommand, c.command) << c.what;
    EXPECT_EQ(n.sendSize, c.sized) << c.what;
    EXPECT_TRUE(!c.sized || (n.sizeType == c.sizeType && n.sizeParam == c.size)) << c.what;
  }
}

}  // namespace
