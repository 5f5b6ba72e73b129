// MessageBoxA with a display: a real box titled by the caption, which Enter
// (or Escape) dismisses. The box runs in the main thread of a child process (it has
// its own event loop); the test finds it by its title and presses Enter.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "Cp1251.h"
#include "XServer.h"

namespace {

// The child's exit status, or -1 when it did not end within the time.
int WaitFor(pid_t child, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

pid_t ShowBoxInChild(const char* caption, const char* text) {
  // The child needs a display connection of its own; one opened here
  // before the fork would be shared.
  if (SDL_WasInit(SDL_INIT_VIDEO)) return -1;
  pid_t child = fork();
  if (child == 0) {
    int result = MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
    _exit(result == IDOK ? 0 : 1);
  }
  return child;
}

TEST(MessageBoxX, BoxTitledByTheCaptionIsDismissedByEnter) {
  pid_t child = ShowBoxInChild("Ошибка"_cp, "Runtime error   2 at 0040A1B2"_cp);
  if (child == -1) GTEST_SKIP() << "run apart from the other tests, as ctest does";
  ASSERT_GT(child, 0);
  unsigned long box = xserver::FindWindow("Ошибка", 15000);
  if (box == 0) {
    WaitFor(child, 0);
    FAIL() << "no window titled by the caption appeared";
  }
  EXPECT_EQ(xserver::Title(box), "Ошибка");
  xserver::Focus(box);
  xserver::Tap("Return");
  EXPECT_EQ(WaitFor(child, 15000), 0) << "MessageBoxA returns IDOK once Enter dismissed the box";
}

}  // namespace
