// Chromium, started on the test display and driven through its DevTools
// protocol over a pair of pipes (--remote-debugging-pipe): no port, no
// WebSocket, and nothing in the page that knows it is being tested.
#pragma once

#include <sys/types.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Image.h"
#include "Wait.h"

namespace e2e {

using json = nlohmann::json;

class Browser {
 public:
  // Starts Debian's Chromium on DISPLAY (after RequireTestDisplay), showing
  // `url` in an app window of the page alone (no tabs, bar or frame) whose
  // inside is `width` x `height` at the screen's top left, with software
  // WebGL and nothing that reaches beyond this machine. `profile` is the browser's user data folder:
  // empty for a fresh one that goes with the browser; a given one is kept, so
  // that a second browser started on it finds what a page stored in the
  // first (a later visit). `flags` go to Chromium after the harness's own
  // (--disable-webgl: a browser without WebGL). Throws HarnessError when
  // Chromium cannot start or shows no page within `timeout`.
  Browser(const std::string& url, int width, int height, std::filesystem::path profile = {},
          Duration timeout = 30s, const std::vector<std::string>& flags = {});
  // Closes the browser (and kills what is left of its process group).
  ~Browser();
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  pid_t Pid() const { return pid_; }

  // Evaluates `expression` in the page's main frame, awaiting it when it is
  // a promise, and returns its value as JSON. Throws HarnessError with the
  // page's message when it throws, or when the page does not answer within
  // `timeout`.
  nlohmann::json Evaluate(std::string_view expression, Duration timeout = 30s);
  // Gives the window a new inside size, as a player's resize does.
  void Resize(int width, int height);
  // Loads the page again, as the player's reload does.
  void Reload();
  // A touch of one finger at (x, y) in the page: "touchStart", then
  // "touchEnd" (at the same place), as a touch screen gives them.
  void Touch(const std::string& type, int x, int y);
  // The page as a touch screen's browser shows it (navigator.maxTouchPoints
  // 1), from its next load on.
  void EmulateTouchScreen();
  // What a touch screen's own keyboard gives the focused field: text typed
  // in, or a key by name alone ("Enter"), without the code of a key.
  void TypeOnScreen(const std::string& text);
  void PressOnScreen(const std::string& key, int windowsKeyCode);
  // Downloads go into `folder` without asking.
  void AllowDownloads(const std::filesystem::path& folder);
  // The page's bounding box of the first element `selector` matches, in
  // the window's pixels; throws HarnessError when none does.
  Rect ElementBox(const std::string& selector);
  // What the page has written to its console so far, one line each
  // ("text1 text2"; uncaught exceptions as "uncaught: <description>").
  std::vector<std::string> Console();
  // The end of the browser's own standard error, for messages.
  std::string Log() const;

  // One protocol call; `session` is the page's when true, else the
  // browser's. Returns the result; throws HarnessError on an error answer.
  nlohmann::json Call(const std::string& method, const nlohmann::json& params, bool session = true,
                      Duration timeout = 30s);

 private:
  // Reads what the browser has sent until `until` returns true for a
  // message or `timeout` passes (then returns false); events are kept.
  bool Pump(Duration timeout, const std::function<bool(const nlohmann::json&)>& until);
  void Keep(const nlohmann::json& event);
  // Finds the page and attaches a session to it (session_).
  void Attach(Duration timeout);

  std::filesystem::path profile_;
  bool ownProfile_ = false;
  pid_t pid_ = -1;
  int toBrowser_ = -1, fromBrowser_ = -1;
  std::string pending_;  // bytes read past the last whole message
  int nextId_ = 1;
  std::string target_, session_;
  bool reattaching_ = false;  // a call is being made again on a new session
  std::vector<std::string> console_;
};

}  // namespace e2e
