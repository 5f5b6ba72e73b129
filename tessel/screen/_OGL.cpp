#include "_OGL.h"

#include <GL/gl.h>

#include <string>

#include "Globvars.h"
#include "_Pole.h"

HDC windowDC;
HGLRC glContext;
uint32_t fontBase;

namespace {

constexpr DWORD kFirstGlyph = 32;  // space
constexpr DWORD kGlyphCount = 96;  // 32..127

// Colours of the texts.
struct Colour {
  float r, g, b;
};
constexpr Colour kWhite{1.0f, 1.0f, 1.0f};
constexpr Colour kLeaderName{0.7f, 0.7f, 0.0f};
constexpr Colour kLeaderScore{0.7f, 0.0f, 0.7f};
constexpr Colour kSorry{0.0f, 0.7f, 0.0f};
constexpr Colour kPlace{0.8f, 0.0f, 0.0f};
constexpr Colour kTypedName{0.0f, 0.0f, 0.8f};

void Print(int32_t x, int32_t y, std::string_view text, Colour c) { PrintText(x, y, text, c.r, c.g, c.b); }

void DrawLeadersTable() {
  for (int32_t slot = 1; slot <= kLeadersShown; ++slot) {
    const int32_t y = windowHeight - 100 - 20 * slot;
    Print(20, y, "  " + leaders[slot].name, kLeaderName);
    Print(250, y, IntToText(leaders[slot].score), kLeaderScore);
  }
  Print(20, windowHeight - 320, std::string(53, '-'), kWhite);
  Print(30, windowHeight - 50, "HERE  THE  BEST !!!", kWhite);
  Print(80, 10, "<Enter>  vs  <Esc>  ", kWhite);
}

void DrawStateLines() {
  if (!gameOver) {
    Print(20, 70, "Choose:  left  mouse", kWhite);
    Print(20, 50, "Rotate:  right  mouse", kWhite);
    Print(20, 30, "Enter result:  <Enter>", kWhite);
  } else if (leaderPlace > kLeadersShown) {
    Print(20, 70, "Sorry, you are not in leaders...", kSorry);
    Print(20, 40, "Press  <Enter>  or  <Esc>", kSorry);
  } else {
    Print(20, 70, "Place " + IntToText(leaderPlace) + ".  Enter you name:", kPlace);
    Print(20, 40, playerName, kTypedName);
  }
}

}  // namespace

void SetWindowPixelFormat(HDC dc) {
  // Everything but the flags left zero: RGBA, and whatever colour depth the
  // display offers.
  PIXELFORMATDESCRIPTOR format{};
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  int index = ChoosePixelFormat(dc, &format);
  SetPixelFormat(dc, index, &format);
}

HFONT CreateScreenFont() {
  return CreateFontA(16, 8, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "arial");
}

void StartOpenGL(HWND window) {
  windowDC = GetDC(window);
  SetWindowPixelFormat(windowDC);
  glContext = wglCreateContext(windowDC);
  wglMakeCurrent(windowDC, glContext);
  glClearColor(0.1f, 0.0f, 0.2f, 0.1f);

  // A bold 16-pixel font, one bitmap list per character from the space on.
  // The lists keep their bitmaps once the font object is gone.
  fontBase = glGenLists(kGlyphCount);
  HFONT font = CreateScreenFont();
  SelectObject(windowDC, font);
  wglUseFontBitmapsA(windowDC, kFirstGlyph, kGlyphCount, fontBase);
  DeleteObject(font);

  ResizeView();
}

void ResizeView() {
  glViewport(0, 0, windowWidth, windowHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
}

void StopOpenGL(HWND window) {
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(glContext);  // the font lists go with it
  ReleaseDC(window, windowDC);
}

void PrintText(int32_t x, int32_t y, std::string_view text, float r, float g, float b) {
  // One unit per pixel from the bottom-left corner, for this line only.
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  // The raster position takes the colour current when it is set.
  glColor3f(r, g, b);
  glRasterPos2i(x, y);

  // Each byte calls the list of its glyph. The base wraps around when
  // fontBase is below 32; adding the code from 32 up comes back into range.
  glPushAttrib(GL_LIST_BIT);
  glListBase(fontBase - kFirstGlyph);
  glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
  glPopAttrib();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void DrawScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  if (leadersSaved) {
    DrawLeadersTable();
  } else {
    // Both matrices are the identity here, so the board lands in normalised
    // device coordinates, moved to its top-left corner.
    glPushMatrix();
    glTranslatef(originX, originY, 0.0f);
    DrawBoard();
    glPopMatrix();
  }

  // 40 pixels below the board's lower edge, in every state.
  Print(20, windowHeight - 8 * cellPixels - 60, "Score: " + IntToText(score) + "   +" + IntToText(lastPoints),
        kWhite);
  DrawStateLines();

  SwapBuffers(windowDC);
}
