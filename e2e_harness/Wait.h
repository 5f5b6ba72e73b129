// Errors and polling waits of the end-to-end harness.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace e2e {

using Duration = std::chrono::milliseconds;
using namespace std::chrono_literals;

// Anything the harness cannot do: no test display, a missing file, a window
// that went away. Tests let it escape; gtest reports its text as the failure.
class HarnessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A wait ran out of time. The text says what was awaited, for how long, and
// what was seen last.
class WaitTimeout : public HarnessError {
 public:
  using HarnessError::HarnessError;
};

// The program under test ended while something else was awaited.
class ProgramExited : public HarnessError {
 public:
  using HarnessError::HarnessError;
};

// How often the waits look again.
inline constexpr Duration kPollInterval = 20ms;

// A timeout times E2E_TIMEOUT_SCALE when that is set to a number above 1
// (for a slow machine, such as an emulated one).
Duration Scaled(Duration timeout);

// Polls `done` until it returns true; throws WaitTimeout after `timeout`
// (Scaled).
// `what` completes "timed out after N s waiting for ..."; `lastSeen`, when
// given, describes the state at the end for the message. `done` is called at
// least once, and once more after the deadline, so a short timeout never
// fails a condition that already holds. Exceptions from `done` end the wait.
void WaitUntil(std::string_view what, Duration timeout, const std::function<bool()>& done,
               const std::function<std::string()>& lastSeen = {});

// "1.5 s" for messages.
std::string Seconds(Duration d);

// Calls `sample` until what it gives has stayed the same for `quiet`, and
// returns that; throws WaitTimeout after `timeout`. `what` names the thing
// sampled.
template <class T>
T WaitUntilSteady(std::string_view what, Duration quiet, Duration timeout, const std::function<T()>& sample) {
  std::optional<T> last;
  auto since = std::chrono::steady_clock::now();
  WaitUntil(std::string(what) + " to stay unchanged for " + Seconds(quiet), timeout, [&] {
    T now = sample();
    const auto t = std::chrono::steady_clock::now();
    if (!last || now != *last) {
      last = std::move(now);
      since = t;
      return false;
    }
    return t - since >= quiet;
  });
  return std::move(*last);
}

// Bytes shown in a message: printable text as it is, the rest escaped, cut
// to `limit` bytes.
std::string Printable(std::string_view bytes, size_t limit = 200);

}  // namespace e2e
