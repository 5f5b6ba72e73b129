#include "Wait.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace e2e {

namespace {

double TimeoutScale() {
  static const double scale = [] {
    const char* text = std::getenv("E2E_TIMEOUT_SCALE");
    const double value = text ? std::strtod(text, nullptr) : 1.0;
    return value > 1.0 ? value : 1.0;
  }();
  return scale;
}

}  // namespace

Duration Scaled(Duration timeout) { return std::chrono::duration_cast<Duration>(timeout * TimeoutScale()); }

void WaitUntil(std::string_view what, Duration timeout, const std::function<bool()>& done,
               const std::function<std::string()>& lastSeen) {
  timeout = Scaled(timeout);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  // The process may have been descheduled past the deadline between the
  // last look and the clock reading: one final look decides.
  if (done()) return;
  std::string message = "timed out after " + Seconds(timeout) + " waiting for " + std::string(what);
  if (lastSeen) message += "; last seen: " + lastSeen();
  throw WaitTimeout(message);
}

std::string Seconds(Duration d) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(d.count()) / 1000.0);
  return text;
}

std::string Printable(std::string_view bytes, size_t limit) {
  std::string out = "\"";
  for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);  // UTF-8 and Windows-1251 bytes pass as they are
    }
  }
  out += '"';
  if (bytes.size() > limit) out += "... (" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

}  // namespace e2e
