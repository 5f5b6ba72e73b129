// MessageBoxA in a page: the caption and the text go to standard error (the
// browser's console) and to the page, which shows the box as an element of
// its own (page/page.js, Module.onMessageBox). The box does not wait: the
// program goes on as if OK had been pressed, as the programs end after
// their boxes anyway.
#include <emscripten.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "Cp1251.h"

namespace {

// clang-format off
EM_JS(void, ShowPageMessageBox, (const char* caption, const char* text, int error), {
  if (typeof Module.onMessageBox === "function") {
    Module.onMessageBox(UTF8ToString(caption), UTF8ToString(text), error !== 0);
  }
});
// clang-format on

}  // namespace

int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT type) {
  std::string utf8Caption = cp1251::ToUtf8(caption ? caption : "Error");
  std::string utf8Text = cp1251::ToUtf8(text ? text : "");
  std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
  std::fflush(stderr);
  ShowPageMessageBox(utf8Caption.c_str(), utf8Text.c_str(), (type & 0xF0) == MB_ICONERROR ? 1 : 0);
  return IDOK;
}
