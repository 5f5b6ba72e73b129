#include "KeyMap.h"

namespace winlayer {

namespace {

// Virtual-key codes that the public header leaves out.
constexpr WPARAM kVkSnapshot = 0x2C;
constexpr WPARAM kVkLeftWin = 0x5B;
constexpr WPARAM kVkRightWin = 0x5C;
constexpr WPARAM kVkApps = 0x5D;
constexpr WPARAM kVkSeparator = 0x6C;
constexpr WPARAM kVkOem102 = 0xE2;

struct KeyEntry {
  SDL_Scancode scancode;
  WPARAM virtualKey;
  uint8_t scan;  // Windows (set 1) scan code
  bool extended;
};

// Keys by position. Letters and digits are here too, for layouts whose
// keycodes are not Latin letters (Cyrillic, for one): Windows names those
// keys by the letter of the US layout at the same place.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false},
    {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false},
    {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false},
    {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false},
    {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false},
    {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false},
    {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false},
    {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false},
    {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false},
    {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false},
    {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false},
    {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false},
    {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false},
    {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false},
    {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false},
    {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false},
    {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false},
    {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, kVkOem102, 0x56, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false},
    {SDL_SCANCODE_F2, VK_F1 + 1, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F1 + 2, 0x3D, false},
    {SDL_SCANCODE_F4, VK_F1 + 3, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F1 + 4, 0x3F, false},
    {SDL_SCANCODE_F6, VK_F1 + 5, 0x40, false},
    {SDL_SCANCODE_F7, VK_F1 + 6, 0x41, false},
    {SDL_SCANCODE_F8, VK_F1 + 7, 0x42, false},
    {SDL_SCANCODE_F9, VK_F1 + 8, 0x43, false},
    {SDL_SCANCODE_F10, VK_F1 + 9, 0x44, false},
    {SDL_SCANCODE_F11, VK_F1 + 10, 0x57, false},
    {SDL_SCANCODE_F12, VK_F1 + 11, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, kVkSnapshot, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_KP_COMMA, kVkSeparator, 0x7E, false},
    {SDL_SCANCODE_APPLICATION, kVkApps, 0x5D, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_LGUI, kVkLeftWin, 0x5B, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
    {SDL_SCANCODE_RGUI, kVkRightWin, 0x5C, true},
};

}  // namespace

uint32_t KeyStateFromSdl(uint16_t sdlModifiers) {
  uint32_t state = 0;
  if (sdlModifiers & KMOD_SHIFT) state |= kShiftDown;
  if (sdlModifiers & KMOD_CTRL) state |= kControlDown;
  if (sdlModifiers & KMOD_ALT) state |= kAltDown;
  if (sdlModifiers & KMOD_CAPS) state |= kCapsLockOn;
  return state;
}

std::optional<KeyMessage> MapKey(SDL_Scancode scancode, SDL_Keycode keycode, uint32_t keyState, bool pressed,
                                 bool repeat) {
  WPARAM vk = 0;
  uint8_t scan = 0;
  bool extended = false;
  for (const KeyEntry& k : kKeys) {
    if (k.scancode == scancode) {
      vk = k.virtualKey;
      scan = k.scan;
      extended = k.extended;
      break;
    }
  }
  // A layout that moves the Latin letters (AZERTY, Dvorak) names the key
  // by the letter it types, as Windows does.
  if (keycode >= 'a' && keycode <= 'z') {
    vk = static_cast<WPARAM>(keycode - 'a' + 'A');
  }
  if (vk == 0) return std::nullopt;

  bool alt = keyState & kAltDown;
  bool control = keyState & kControlDown;
  bool system = (alt && !control) || (vk == VK_MENU && !control);

  uint32_t bits = 1u | (static_cast<uint32_t>(scan) << 16);
  if (extended) bits |= 1u << 24;
  if (alt) bits |= 1u << 29;
  if (!pressed || repeat) bits |= 1u << 30;
  if (!pressed) bits |= 1u << 31;

  KeyMessage result;
  result.message = pressed ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  result.virtualKey = vk;
  result.lParam = static_cast<LPARAM>(static_cast<int32_t>(bits));
  return result;
}

std::optional<unsigned char> CharForKey(WPARAM vk, uint32_t keyState) {
  if ((keyState & kControlDown) != 0) return std::nullopt;
  if (vk >= 'A' && vk <= 'Z') {
    bool upper = ((keyState & kShiftDown) != 0) != ((keyState & kCapsLockOn) != 0);
    return static_cast<unsigned char>(upper ? vk : vk - 'A' + 'a');
  }
  bool typed = (vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK ||
               vk == VK_ESCAPE || vk == VK_TAB;
  if (typed && (keyState & kShiftDown) == 0) return static_cast<unsigned char>(vk);
  return std::nullopt;
}

}  // namespace winlayer
