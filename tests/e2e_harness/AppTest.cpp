// What the harness reports of a program that has ended: its exit status,
// an end by a signal included, and the texts of its message boxes, from
// the Linux layer's lines or from Wine's trace. A shell stands in for the
// program and prints what either build would.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "App.h"
#include "TestSupport.h"

namespace {

using namespace std::chrono_literals;
using e2e::ExitStatus;

TEST(App, ReportsTheExitStatusAndTheTextsOfTheMessageBoxes) {
  struct Case {
    std::string script;
    ExitStatus status;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"exit 0", ExitStatus::Code(0), {}},
      {"kill -TERM $$", ExitStatus::Signal(SIGTERM), {}},
      {"printf '%s\\n' 'Error: Runtime error   2 at 0040A1B2' 'Tessel: cannot create the window' "
       "'Errors: none' >&2; exit 2",
       ExitStatus::Code(2),
       {"Runtime error   2 at 0040A1B2"}},
      {"printf '%s\\n' '0024:trace:msgbox:MSGBOX_OnInit L\"Say \\\"no\\\"\\\\\\nthen\"' >&2; exit 106",
       ExitStatus::Code(106),
       {"Say \"no\"\\\nthen"}},
  };
  testsupport::ScratchDir dist("harness-app");
  testsupport::WriteBytes(dist / "program", "");
  for (const Case& c : cases) {
    e2e::App app(dist.Path(), "program");
    e2e::StartOptions options;
    options.runner = std::vector<std::string>{"sh", "-c", c.script};
    app.Start(options);
    EXPECT_EQ(app.WaitForExit(10s), c.status) << c.script;
    EXPECT_EQ(app.MessageBoxTexts("Error"), c.texts) << c.script << "\n" << app.Stderr();
  }
}

}  // namespace
