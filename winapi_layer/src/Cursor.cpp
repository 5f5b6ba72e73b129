// Icons, cursors, the pointer's display counter and the message beep.
#include <SDL2/SDL.h>
#include <windows.h>

#include "Trace.h"
#include "Video.h"
#include "WindowRecord.h"

// A system icon or cursor (LoadIconA, LoadCursorA with no module).
struct IconRecord {
  WORD id;
  bool isCursor;
  SDL_SystemCursor shape;  // the pointer it shows as (icons: the arrow)
  SDL_Cursor* host;        // made when first shown
};

namespace {

constexpr DWORD kResourceNotFoundError = 1814;  // ERROR_RESOURCE_NAME_NOT_FOUND

// The icon and the pointer the programs' window classes name.
IconRecord icons[] = {{32512, false, SDL_SYSTEM_CURSOR_ARROW, nullptr}};   // IDI_APPLICATION
IconRecord cursors[] = {{32512, true, SDL_SYSTEM_CURSOR_ARROW, nullptr}};  // IDC_ARROW

// Windows' display counter: the pointer shows while it is 0 or more.
int displayCount = 0;
IconRecord* currentCursor = &cursors[0];

template <size_t N>
IconRecord* Lookup(IconRecord (&table)[N], HINSTANCE instance, LPCSTR name) {
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  if (instance == nullptr && id < 0x10000) {
    for (IconRecord& r : table) {
      if (r.id == id) return &r;
    }
  }
  // The programs carry no resources of their own.
  SetLastError(kResourceNotFoundError);
  return nullptr;
}

bool Known(const IconRecord* record) {
  for (const IconRecord& r : cursors) {
    if (&r == record) return true;
  }
  for (const IconRecord& r : icons) {
    if (&r == record) return true;
  }
  return false;
}

}  // namespace

namespace winlayer {

void ApplyCursorVisibility() {
  if (!VideoStarted()) return;
  bool shown = displayCount >= 0 && currentCursor != nullptr;
  if (currentCursor != nullptr) {
    if (currentCursor->host == nullptr) currentCursor->host = SDL_CreateSystemCursor(currentCursor->shape);
    if (currentCursor->host != nullptr) SDL_SetCursor(currentCursor->host);
  }
  SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace winlayer

HICON LoadIconA(HINSTANCE instance, LPCSTR name) { return Lookup(icons, instance, name); }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) { return Lookup(cursors, instance, name); }

HCURSOR SetCursor(HCURSOR cursor) {
  IconRecord* previous = currentCursor;
  // SetCursor(NULL) takes the pointer off the screen; so does a handle
  // that is none of ours.
  currentCursor = Known(cursor) ? cursor : nullptr;
  winlayer::ApplyCursorVisibility();
  return previous;
}

int ShowCursor(BOOL show) {
  displayCount += show ? 1 : -1;
  winlayer::ApplyCursorVisibility();
  winlayer::TraceLine("ShowCursor %d -> %d", show, displayCount);
  return displayCount;
}

BOOL MessageBeep(UINT type) {
  winlayer::TraceLine("MessageBeep %u", type);
  if (winlayer::VideoStarted()) {
    auto live = winlayer::LiveWindows();
    if (!live.empty()) winlayer::RingBell(live.front()->sdl);
  }
  return TRUE;
}
