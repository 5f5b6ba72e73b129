// SubsetFrames.exe: what the subset offers beyond the two programs' own
// frames, drawn the same way on every build for the picture comparison:
// transformations that do not commute, smooth and flat shading of
// coloured vertices, stippled lines one and more pixels wide, and every
// mipmap level of a texture through each texture environment.
#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <vector>

#include "Frames.h"

namespace {

// Powers of two: positions in the window come out exact from the matrices,
// so no stipple pattern depends on the last bit of a float.
constexpr int kWidth = 256, kHeight = 256;

void Triangle(const float (&colours)[3][3], const float (&points)[3][2]) {
  glBegin(GL_TRIANGLES);
  for (int i = 0; i < 3; ++i) {
    glColor3f(colours[i][0], colours[i][1], colours[i][2]);
    glVertex2f(points[i][0], points[i][1]);
  }
  glEnd();
}

void Line(GLenum mode, float width, GLint factor, GLushort pattern, std::initializer_list<float> xy) {
  glLineWidth(width);
  glLineStipple(factor, pattern);
  glBegin(mode);
  for (auto p = xy.begin(); p != xy.end(); p += 2) glVertex2f(p[0], p[1]);
  glEnd();
}

void Square(float x, float y, float side) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(x, y);
  glTexCoord2f(1, 0);
  glVertex2f(x + side, y);
  glTexCoord2f(1, 1);
  glVertex2f(x + side, y + side);
  glTexCoord2f(0, 1);
  glVertex2f(x, y + side);
  glEnd();
}

}  // namespace

int main() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SubsetFrames";
  if (RegisterClassExA(&windowClass) == 0) return 1;
  HWND window = CreateWindowExA(0, "SubsetFrames", "SubsetFrames", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                                kHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
  HDC dc = GetDC(window);
  PIXELFORMATDESCRIPTOR format{};
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format);
  HGLRC context = wglCreateContext(dc);
  if (!wglMakeCurrent(dc, context)) return 1;
  e2e::XSession x;
  const e2e::WindowId w =
      x.WaitForWindow(e2e::WindowQuery::Exact("SubsetFrames").OfPid(getpid()), std::chrono::seconds(10));
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, kWidth, 0, kHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glClear(GL_COLOR_BUFFER_BIT);

  // A sheared triangle and quad moved in pixels after the projection has
  // been set, with colours smoothly across them; a flat one takes the last
  // vertex's colour.
  const float colours[3][3] = {{1, 0, 0}, {0, 1, 0}, {0.2f, 0.3f, 1}};
  glTranslatef(20, 30, 0);
  glPushMatrix();
  const GLfloat shear[16] = {1.25f, 0.25f, 0, 0, -0.5f, 1, 0, 0, 0, 0, 1, 0, 70, 10, 0, 1};
  glLoadMatrixf(shear);
  Triangle(colours, {{0, 0}, {100, 20}, {30, 90}});
  glBegin(GL_QUADS);
  glColor3f(1, 1, 0);
  glVertex2f(100, 100);
  glColor3f(0, 1, 1);
  glVertex2f(100, 30);
  glColor3f(1, 0, 1);
  glVertex2f(150, 40);
  glColor3f(1, 1, 1);
  glVertex2f(150, 110);
  glEnd();
  glPopMatrix();
  glShadeModel(GL_FLAT);
  Triangle(colours, {{0, 0}, {60, 0}, {0, 60}});
  glShadeModel(GL_SMOOTH);
  SwapBuffers(dc);
  frames::Save(x, w, "transforms");

  // Stippled lines across and down, of widths 1, 3 and 4, with a pattern
  // that runs on through a strip; their lengths powers of two too.
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glEnable(GL_LINE_STIPPLE);
  Line(GL_LINES, 1, 1, 0x0F0F, {10, 10.5f, 138, 10.5f, 10.5f, 20, 10.5f, 148});
  Line(GL_LINES, 3, 2, 0x3CF1, {20, 40, 148, 40, 40, 60, 40, 188});
  Line(GL_LINE_STRIP, 4, 3, 0xAAAA, {60, 80, 188, 80, 188, 208, 60, 208});
  glDisable(GL_LINE_STIPPLE);
  Line(GL_LINE_LOOP, 5, 1, 0, {100, 110, 180, 110, 180, 170, 100, 170});
  SwapBuffers(dc);
  frames::Save(x, w, "lines");

  // A picture of 6 by 5 pixels, no power of two, in colours and alphas of
  // their own, drawn from its full size down to a few pixels: the filter
  // blends two levels of the mipmap at every size.
  std::vector<GLubyte> picture;
  for (int i = 0; i < 6 * 5; ++i)
    picture.insert(picture.end(), {static_cast<GLubyte>(i * 8), static_cast<GLubyte>(255 - i * 5),
                                   static_cast<GLubyte>(i % 3 * 120), static_cast<GLubyte>(i % 4 * 85)});
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 4, 6, 5, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
  glEnable(GL_TEXTURE_2D);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 0.5f, 0.25f);
  const GLenum environments[3] = {GL_MODULATE, GL_DECAL, GL_REPLACE};
  for (int e = 0; e < 3; ++e) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(environments[e]));
    float left = 4;
    for (float side : {60.0f, 23.0f, 11.0f, 5.0f, 3.0f, 1.5f}) {
      Square(left, 4 + e * 70.0f, side);
      left += side + 4;
    }
  }
  // The alpha test keeps the texels of alpha above a half.
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  Square(140, 20, 100);
  SwapBuffers(dc);
  frames::Save(x, w, "textures");
  return glGetError() == GL_NO_ERROR ? 0 : 2;
}
