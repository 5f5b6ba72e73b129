// Keys of the host (SDL scancodes and keycodes) as Windows numbers them:
// virtual-key codes, the key message's lParam, WM_KEYDOWN or WM_SYSKEYDOWN,
// and the character that TranslateMessage makes of a key.
#pragma once

#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>
#include <windows.h>

#include <cstdint>
#include <optional>

namespace winlayer {

// The keyboard state that travels with a key message.
enum KeyStateBit : uint32_t {
  kShiftDown = 1u << 0,
  kControlDown = 1u << 1,
  kAltDown = 1u << 2,
  kCapsLockOn = 1u << 3,
};

uint32_t KeyStateFromSdl(uint16_t sdlModifiers);

struct KeyMessage {
  UINT message;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
  WPARAM virtualKey;
  LPARAM lParam;
};

// The message for one key event, or nothing for a key that Windows has no
// virtual-key code for. keyState is the state after the event (a pressed
// Alt key already counts as held). Letters give 'A'..'Z' and digits
// '0'..'9' whatever the shift state. lParam: repeat count 1, the Windows
// scan code in bits 16..23, bit 24 for the extended keys, bit 29 while Alt
// is held, bit 30 when the key was down before (a repeat, or any release),
// bit 31 for a release. Alt without Ctrl, and the Alt key itself, make
// WM_SYSKEYDOWN / WM_SYSKEYUP.
std::optional<KeyMessage> MapKey(SDL_Scancode scancode, SDL_Keycode keycode, uint32_t keyState, bool pressed,
                                 bool repeat);

// The character a key press types, as TranslateMessage posts it in
// WM_CHAR: letters in the case that Shift and Caps Lock give; digits,
// space, Enter 13, Backspace 8, Escape 27 and Tab 9 without Shift. Nothing
// for other keys, nor with Ctrl held.
std::optional<unsigned char> CharForKey(WPARAM virtualKey, uint32_t keyState);

}  // namespace winlayer
