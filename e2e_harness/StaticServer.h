// A web server for the browser tests: serves one folder's files, as any
// static host would, on 127.0.0.1 at a port of its own, from a thread of its
// own, until it is destroyed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

namespace e2e {

class StaticServer {
 public:
  // Listens on 127.0.0.1 at a port the system picks; throws HarnessError
  // when it cannot. Answers GET and HEAD with the file at the request's path
  // (percent-decoded, so that "%D1%80..." finds a file with a Cyrillic name;
  // "/" and folders give their index.html): 200 with the file's type by its
  // extension, 404 for a missing file or a path that leaves the folder, 405
  // for other methods. Files are read at each request and never cached, so a
  // file replaced between two page loads is served as it now is.
  explicit StaticServer(std::filesystem::path root);
  ~StaticServer();
  StaticServer(const StaticServer&) = delete;
  StaticServer& operator=(const StaticServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>/" followed by `path` as given (already encoded).
  std::string Url(std::string_view path = "") const;

 private:
  void Serve();

  std::filesystem::path root_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};  // a pipe whose write end stops Serve
  int port_ = 0;
  std::thread thread_;
};

// The answer to one request's head (the bytes up to the blank line) for the
// folder `root`: the status line and headers, then the body unless HEAD.
std::string StaticResponse(const std::filesystem::path& root, std::string_view requestHead);

}  // namespace e2e
