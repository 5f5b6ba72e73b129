// A small program over the real engine, for the tests that run it.
//
//   EngineProbe.exe [run]      starts the engine as the game does, fills the
//                              four slots with routines that record what
//                              they receive in events.txt, and runs the main
//                              loop
//   EngineProbe.exe settings   only the modules' start-up and end actions,
//                              printing the loaded settings between
//
// With PROBE_MAXIMIZE set, the first frame of a run posts a maximise command.
#include <windows.h>
// After windows.h, which it needs on Windows.
#include <GL/gl.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Cp1251.h"
#include "Game3DEngine.h"
#include "GameEngine.h"
#include "Logger.h"
#include "ProgramUnits.h"

namespace {

__attribute__((format(printf, 1, 2))) void Record(const char* format, ...) {
  // Binary: the same bytes on every platform, with no CR before the LF.
  FILE* file = std::fopen("events.txt", "ab");
  if (file == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

int32_t recordedWidth = -1;
int32_t recordedHeight = -1;
bool maximiseAsked = false;

void RecordViewport(const char* what) {
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  Record("%s %d %d gl %d %d %d %d", what, ViewportWidth, ViewportHeight, viewport[0], viewport[1],
         viewport[2], viewport[3]);
  recordedWidth = ViewportWidth;
  recordedHeight = ViewportHeight;
}

// Draws a red frame and notes every change of the viewport.
void ProbeFrame() {
  if (ViewportWidth != recordedWidth || ViewportHeight != recordedHeight) RecordViewport("viewport");
  if (!maximiseAsked && std::getenv("PROBE_MAXIMIZE") != nullptr) {
    maximiseAsked = true;
    PostMessageA(WindowHandle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Record("maximise posted");
  }
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  SwapBuffers(DeviceContext);
}

void ProbeKeyDown(int32_t key) {
  // A translated key press would have queued its character by now.
  MSG pending;
  bool charQueued = PeekMessageA(&pending, WindowHandle, WM_CHAR, WM_CHAR, PM_NOREMOVE) != 0;
  Record("key %d char %d", key, charQueued ? 1 : 0);
}

[[noreturn]] void RunEngine() {
  if (InitGameEngine() != 0) {
    AppLog->WriteError("GameEngine не инициализирован"_cp, "Game");
    FinalizeUnits();
    ExitProcess(0);
  }
  RecordViewport("start");
  OnFrame = ProbeFrame;
  OnKeyDown = ProbeKeyDown;
  OnMouseMove = [](int32_t x, int32_t y) { Record("move %d %d", x, y); };
  OnMouseDown = [](int32_t x, int32_t y) { Record("down %d %d", x, y); };
  Record("loop");
  RunMessageLoop();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "run";
  InitializeUnits();
  if (mode == "run") RunEngine();
  if (mode == "settings") {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    LoadSettings();
    std::printf("%d %d %d %d\n", Width, Height, BitsPerPixel, FullScreen ? 1 : 0);
    std::fflush(stdout);
  }
  FinalizeUnits();
  ExitProcess(0);
}
