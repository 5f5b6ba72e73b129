#include "Game3DEngine.h"

#include <GL/gl.h>

#include <cstring>

#include "Cp1251.h"
#include "GameEngine.h"
#include "Logger.h"

HDC DeviceContext = nullptr;
HGLRC RenderContext = nullptr;
int32_t ViewportWidth = 0;
int32_t ViewportHeight = 0;
bool FullScreenMode = false;

namespace {

const char* const kSource = "Game3DEngine";

// The projection is the same for every window size, so a window that is
// not 4:3 stretches the picture.
constexpr double kFrustumHalfWidth = 1.3333333333333333;
constexpr double kFrustumHalfHeight = 1.0;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 100.0;

typedef BOOL(WINAPI* SwapIntervalRoutine)(int interval);

void Status(const char* message) { AppLog->WriteStatus(message, kSource); }

// Frame swaps must not wait for the vertical retrace, so that frames come
// as fast as the scene draws them. Drivers without the extension are left
// as they are.
void TurnOffSwapWaiting() {
  PROC found = wglGetProcAddress("wglSwapIntervalEXT");
  if (found == nullptr) return;
  // Through the generic function pointer type, as the lookup's result type
  // says nothing about the routine's own.
  auto swapInterval = reinterpret_cast<SwapIntervalRoutine>(reinterpret_cast<void (*)()>(found));
  swapInterval(0);
}

}  // namespace

int32_t InitOpenGL(int32_t width, int32_t height, int32_t bitsPerPixel, bool fullScreen) {
  FullScreenMode = fullScreen;
  if (fullScreen) {
    Status("    Инициализация полноэкранного режима"_cp);
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
      Status("    Сбой при инициализации полноэкранного режима"_cp);
      return -1;
    }
  }

  Status("    Получение контекста устройства вывода"_cp);
  DeviceContext = GetDC(WindowHandle);
  if (DeviceContext == nullptr) {
    Status("    Сбой при получении контекста устройства вывода"_cp);
    return -1;
  }

  Status("    Установка формата пикселя для видеорежима"_cp);
  if (SetupPixelFormat(DeviceContext) != 0) {
    Status("    Сбой при установке формата пикселя для видеорежима"_cp);
    return -1;
  }

  Status("    Создание контекста рендеринга OpenGL"_cp);
  RenderContext = wglCreateContext(DeviceContext);
  if (RenderContext == nullptr) {
    Status("    Ошибка при создании контекста рендеринга OpenGL"_cp);
    return -1;
  }

  Status("    Задание текущего контекста рендеринга OpenGL"_cp);
  if (!wglMakeCurrent(DeviceContext, RenderContext)) {
    Status("    Ошибка при задании текущего контекста рендеринга OpenGL"_cp);
    return -1;
  }

  TurnOffSwapWaiting();
  if (fullScreen) {
    ResizeViewport(width, height);
  } else {
    // A framed window's client area is smaller than its outer size, which
    // is what width and height give; the picture fills the client area.
    RECT client;
    GetClientRect(WindowHandle, &client);
    ResizeViewport(client.right - client.left, client.bottom - client.top);
  }
  return 0;
}

int32_t SetupPixelFormat(HDC dc) {
  PIXELFORMATDESCRIPTOR descriptor;
  std::memset(&descriptor, 0, sizeof descriptor);
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = 1;
  descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  descriptor.iPixelType = PFD_TYPE_RGBA;
  descriptor.cColorBits = 32;
  descriptor.cDepthBits = 32;
  descriptor.iLayerType = PFD_MAIN_PLANE;
  int format = ChoosePixelFormat(dc, &descriptor);
  return SetPixelFormat(dc, format, &descriptor) ? 0 : -1;
}

void ResizeViewport(int32_t width, int32_t height) {
  if (height == 0) height = 1;
  ViewportWidth = width;
  ViewportHeight = height;
  // Before the rendering context is current (a WM_SIZE while the window is
  // being placed) these calls do nothing; the next resize catches up.
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-kFrustumHalfWidth, kFrustumHalfWidth, -kFrustumHalfHeight, kFrustumHalfHeight, kNearPlane,
            kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void RestoreDisplayMode() {
  if (FullScreenMode) ChangeDisplaySettingsA(nullptr, CDS_FULLSCREEN);
}
