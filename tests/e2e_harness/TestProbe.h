// The harness's own probe program, started in a scratch copy with a
// probe.cfg of the test's choosing, and its window found; and the text of
// what a harness call throws.
#pragma once

#include <string>

#include "App.h"
#include "XSession.h"

namespace probe {

using namespace std::chrono_literals;

// The probe's four quadrant colours, and the top-left one after the key c.
constexpr e2e::Rgb kTopLeft{200, 40, 10}, kTopRight{20, 180, 60}, kBottomLeft{30, 60, 220},
    kBottomRight{240, 220, 30}, kTopLeftSwitched{120, 0, 160};

// The message of the E that `attempt` throws, or "no error" when it returns.
template <class E = e2e::HarnessError, class F>
std::string ErrorText(F attempt) {
  try {
    attempt();
  } catch (const E& error) {
    return error.what();
  }
  return "no error";
}

struct Probe {
  // `config` is the whole probe.cfg; `title` the title it sets.
  Probe(e2e::XSession& x, const std::string& title, const std::string& config,
        const e2e::StartOptions& options = {})
      : app(PROBE_DIST, "harness_probe") {
    app.WriteFile("probe.cfg", "title=" + title + "\n" + config);
    app.Start(options);
    window = app.WaitForWindow(x, e2e::WindowQuery::Exact(title).OfPid(app.Pid()), 20s);
  }

  std::string Events() const { return app.FileExists("events.txt") ? app.ReadFile("events.txt") : ""; }

  e2e::App app;
  e2e::WindowId window = 0;
};

}  // namespace probe
