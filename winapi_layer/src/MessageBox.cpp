// MessageBoxA: the caption and the text go to standard error.
#include <windows.h>

#include <cstdio>

#include "Cp1251.h"

int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT /*type*/) {
  std::string utf8Caption = cp1251::ToUtf8(caption ? caption : "Error");
  std::string utf8Text = cp1251::ToUtf8(text ? text : "");
  std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
  std::fflush(stderr);
  return IDOK;
}
