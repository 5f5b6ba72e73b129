// MessageBoxA with a display: a real box titled by the caption, which Enter
// dismisses. The box runs in the main thread of a child process (it has its
// own event loop); the test finds it by its title and presses Enter.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Cp1251.h"
#include "XSession.h"

namespace {

using namespace std::chrono_literals;

TEST(MessageBoxX, BoxTitledByTheCaptionIsDismissedByEnter) {
  // The child needs a display connection of its own; one opened here
  // before the fork would be shared.
  if (SDL_WasInit(SDL_INIT_VIDEO)) GTEST_SKIP() << "run apart from the other tests, as ctest does";
  pid_t child = fork();
  if (child == 0) {
    int result = MessageBoxA(nullptr, "Runtime error   2 at 0040A1B2"_cp, "Ошибка"_cp, MB_OK | MB_ICONERROR);
    _exit(result == IDOK ? 0 : 1);
  }
  ASSERT_GT(child, 0);
  int status = -1;
  try {
    e2e::XSession x;
    e2e::WindowId box = x.WaitForWindow(e2e::WindowQuery::Exact("Ошибка"), 15s);
    x.Activate(box);
    x.TapKey(XK_Return);
    e2e::WaitUntil("the box's process to end", 15s,
                   [&] { return waitpid(child, &status, WNOHANG) == child; });
  } catch (...) {
    kill(child, SIGKILL);  // not ended yet: the child does not outlive the test
    waitpid(child, nullptr, 0);
    throw;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "MessageBoxA returns IDOK once Enter dismissed the box";
}

}  // namespace
