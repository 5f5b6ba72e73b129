// The running core of the engine: start-up, settings, video mode, the
// routine slots through which the scene gets input and idle time, the main
// loop and the shutdown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Routine slots. Each holds one routine or none (nullptr); all four are
// empty until the scene fills them, and an empty slot drops what it would
// have received.
typedef void (*TFrameRoutine)();
typedef void (*TKeyRoutine)(int32_t virtualKey);
typedef void (*TMouseRoutine)(int32_t x, int32_t y);

// Called whenever the window has no message waiting.
extern TFrameRoutine OnFrame;
// Called for each key press with its virtual-key code.
extern TKeyRoutine OnKeyDown;
// Called for each mouse move and each left-button press with the client
// coordinates of the pointer.
extern TMouseRoutine OnMouseMove;
extern TMouseRoutine OnMouseDown;

// Settings from the INI file beside the program (0 and false until
// LoadSettings has run).
extern int32_t Width;
extern int32_t Height;
extern int32_t BitsPerPixel;
extern bool FullScreen;

// The engine window; 0 when it could not be created.
extern HWND WindowHandle;

// The module's start-up action: empties the four routine slots.
void ClearRoutineSlots();

// Seeds the random generator, loads the settings, creates the window and
// sets the video mode with the OpenGL context. Returns 0 when the engine is
// up and -1 when the window could not be created. When the video mode
// cannot be set it does not return: the program shuts down.
int32_t InitGameEngine();

// Reads Width, Height, BitsPerPixel and FullScreen from section "Options"
// of the program's INI file (the program's path with ".INI" in place of its
// extension). Missing values give 640, 480, 32 and windowed.
void LoadSettings();

// Gives the window its style, place and size, shows it and sets up OpenGL.
// Returns 0, or -1 when a step of the OpenGL set-up failed.
int32_t SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, bool fullScreen);

// Restores the display mode, destroys the window, runs the modules' end
// actions and ends the process with exit code 0.
[[noreturn]] void ShutdownGameEngine();

// Sets the window caption (Windows-1251 text).
void SetCaption(const std::string& text);

// Polls the window's messages for ever, handing key presses, mouse moves
// and left-button presses to their slots, dispatching every other message
// to the window procedure and calling OnFrame whenever nothing waits.
[[noreturn]] void RunMessageLoop();
