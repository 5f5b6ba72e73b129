#include "KeyMap.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using namespace winlayer;

KeyMessage Key(SDL_Scancode scancode, SDL_Keycode keycode, uint32_t state = 0, bool pressed = true,
               bool repeat = false) {
  auto m = MapKey(scancode, keycode, state, pressed, repeat);
  EXPECT_TRUE(m) << "scancode " << scancode;
  return m.value_or(KeyMessage{0, 0, 0});
}

// A key message whole: the message, the virtual-key code and the lParam's bits.
using Message = std::tuple<UINT, WPARAM, uint32_t>;

Message Sent(SDL_Scancode scancode, SDL_Keycode keycode, uint32_t state = 0, bool pressed = true,
             bool repeat = false) {
  KeyMessage m = Key(scancode, keycode, state, pressed, repeat);
  return {m.message, m.virtualKey, static_cast<uint32_t>(m.lParam)};
}

TEST(KeyMap, LettersAndDigitsGiveTheirCodesWhateverTheShiftState) {
  for (int i = 0; i < 26; ++i) {
    auto scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
    for (uint32_t state : {0u, uint32_t{kShiftDown}, uint32_t{kCapsLockOn}}) {
      EXPECT_EQ(Key(scancode, 'a' + i, state).virtualKey, static_cast<WPARAM>('A' + i)) << state;
    }
  }
  EXPECT_EQ(Key(SDL_SCANCODE_0, '0').virtualKey, static_cast<WPARAM>('0'));
  EXPECT_EQ(Key(SDL_SCANCODE_1, '1').virtualKey, static_cast<WPARAM>('1'));
  EXPECT_EQ(Key(SDL_SCANCODE_9, '9', kShiftDown).virtualKey, static_cast<WPARAM>('9'));
  // A Cyrillic layout names the keys by position, like Windows' Russian layout.
  EXPECT_EQ(Key(SDL_SCANCODE_A, 0x0444).virtualKey, static_cast<WPARAM>('A'));
  // An AZERTY layout: the key where US has Q types 'a' and is 'A'.
  EXPECT_EQ(Key(SDL_SCANCODE_Q, 'a').virtualKey, static_cast<WPARAM>('A'));
}

TEST(KeyMap, NamedKeysTheirScanCodesAndTheRepeatAndReleaseBits) {
  struct Case {
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    WPARAM vk;
    uint32_t scan;
    bool extended;
  };
  const Case cases[] = {
      {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN, 0x1C, false},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, 0x1C, true},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, VK_ESCAPE, 0x01, false},
      {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, VK_BACK, 0x0E, false},
      {SDL_SCANCODE_SPACE, SDLK_SPACE, VK_SPACE, 0x39, false},
      {SDL_SCANCODE_F4, SDLK_F4, VK_F4, 0x3E, false},
      {SDL_SCANCODE_F12, SDLK_F12, VK_F12, 0x58, false},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, VK_LEFT, 0x4B, true},
      {SDL_SCANCODE_DELETE, SDLK_DELETE, VK_DELETE, 0x53, true},
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, VK_SHIFT, 0x2A, false},
      {SDL_SCANCODE_RCTRL, SDLK_RCTRL, VK_CONTROL, 0x1D, true},
      {SDL_SCANCODE_MINUS, SDLK_MINUS, VK_OEM_MINUS, 0x0C, false},
      {SDL_SCANCODE_SLASH, SDLK_SLASH, VK_OEM_2, 0x35, false},
      {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, VK_DIVIDE, 0x35, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sent(c.scancode, c.keycode),
              (Message{WM_KEYDOWN, c.vk, 1u | c.scan << 16 | uint32_t{c.extended} << 24}))
        << c.scancode;
  }
  EXPECT_FALSE(MapKey(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, 0, true, false));

  // The keypad's digits are numbers with Num Lock on, cursor keys (not the
  // extended ones) without.
  EXPECT_EQ(Key(SDL_SCANCODE_KP_7, SDLK_KP_7, kNumLockOn).virtualKey, static_cast<WPARAM>(VK_NUMPAD0 + 7));
  EXPECT_EQ(Sent(SDL_SCANCODE_KP_8, SDLK_KP_8), (Message{WM_KEYDOWN, VK_UP, 0x00480001u}));

  // Auto-repeat is another key-down.
  EXPECT_EQ(Sent(SDL_SCANCODE_RETURN, SDLK_RETURN, 0, true, true),
            (Message{WM_KEYDOWN, VK_RETURN, 0x401C0001u}));
  EXPECT_EQ(Sent(SDL_SCANCODE_RETURN, SDLK_RETURN, 0, false), (Message{WM_KEYUP, VK_RETURN, 0xC01C0001u}));
}

TEST(KeyMap, AltMakesSystemKeysWithTheContextBit) {
  // Alt+F4: the press of Alt, then F4 while it is held, then letting go.
  EXPECT_EQ(Sent(SDL_SCANCODE_LALT, SDLK_LALT, kAltDown), (Message{WM_SYSKEYDOWN, VK_MENU, 0x20380001u}));
  EXPECT_EQ(Sent(SDL_SCANCODE_F4, SDLK_F4, kAltDown), (Message{WM_SYSKEYDOWN, VK_F4, 0x203E0001u}));
  EXPECT_EQ(Sent(SDL_SCANCODE_F4, SDLK_F4, kAltDown, false), (Message{WM_SYSKEYUP, VK_F4, 0xE03E0001u}));
  // Alt's own release is a system key-up without the context bit, as on Windows.
  EXPECT_EQ(Sent(SDL_SCANCODE_LALT, SDLK_LALT, 0, false), (Message{WM_SYSKEYUP, VK_MENU, 0xC0380001u}));

  // F10 alone is a system key; Ctrl+Alt (AltGr) is not.
  EXPECT_EQ(Sent(SDL_SCANCODE_F10, SDLK_F10), (Message{WM_SYSKEYDOWN, 0x79 /* VK_F10 */, 0x00440001u}));
  EXPECT_EQ(Key(SDL_SCANCODE_E, 'e', kAltDown | kControlDown).message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(Key(SDL_SCANCODE_E, 'e', kShiftDown).message, static_cast<UINT>(WM_KEYDOWN));
}

// What the keys type, one after another; '#' for a key that types nothing.
std::string Typed(std::initializer_list<WPARAM> keys, uint32_t state) {
  std::string text;
  for (WPARAM vk : keys) text += static_cast<char>(CharForKey(vk, state).value_or('#'));
  return text;
}

TEST(KeyMap, CharactersOfKeysFollowShiftCapsLockAndCtrl) {
  EXPECT_EQ(
      Typed({'A', '7', VK_OEM_MINUS, VK_NUMPAD0 + 5, VK_SPACE, VK_RETURN, VK_BACK, VK_ESCAPE, VK_TAB}, 0),
      "a7-5 \r\b\x1b\t");
  EXPECT_EQ(Typed({'A', '1', '0', VK_OEM_MINUS, VK_OEM_7}, kShiftDown), "A!)_\"");
  EXPECT_EQ(Typed({'Q'}, kCapsLockOn), "Q");
  EXPECT_EQ(Typed({'Q'}, kCapsLockOn | kShiftDown), "q");
  EXPECT_EQ(Typed({'C'}, kControlDown), "\x03") << "Ctrl+C";
  EXPECT_EQ(Typed({'A'}, kAltDown), "a") << "the character of WM_SYSCHAR";
  EXPECT_EQ(Typed({'E'}, kAltDown | kControlDown), "#");
  EXPECT_EQ(Typed({VK_F1, VK_SHIFT, VK_LEFT, VK_DELETE, VK_MENU}, 0), "#####");
}

}  // namespace
