// The test's own connection to the X server: XTest input, and finding and
// inspecting windows by title. Xlib stays inside XServer.cpp, since its
// names clash with Windows'.
#pragma once

#include <string>
#include <vector>

struct SDL_Window;

namespace xserver {

// The X window behind an SDL window.
unsigned long WindowOf(SDL_Window* window);

void MovePointer(int x, int y);
void Button(int button, bool down);       // 1 left, 2 middle, 3 right
void Key(const char* keysym, bool down);  // a keysym name: "a", "Shift_L", "Return"
void Tap(const char* keysym);

// A mapped top-level window whose title (UTF-8) is title; 0 when none
// appears within timeoutMs.
unsigned long FindWindow(const std::string& title, int timeoutMs);
std::string Title(unsigned long window);
void Focus(unsigned long window);

// What a window manager does when it maximises a window: the state
// property and the new size.
void SetNetWmState(unsigned long window, const std::vector<std::string>& states);
void Resize(unsigned long window, int width, int height);

// What a window manager sends when its close button is pressed.
void RequestClose(unsigned long window);

// The colour on screen at x, y of a window, as 0xRRGGBB.
unsigned long PixelAt(unsigned long window, int x, int y);

}  // namespace xserver
