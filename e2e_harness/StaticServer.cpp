// The browser tests' web server: plain HTTP/1.1 over loopback, one request a
// connection, every connection watched by one poll loop so that a browser's
// idle spare connections never hold up the others.
#include "StaticServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "Wait.h"

namespace e2e {
namespace fs = std::filesystem;

namespace {

// What a browser needs to know of the files a page is made of; WebAssembly
// must be application/wasm to be compiled while it streams in.
std::string TypeOf(const fs::path& file) {
  static const std::map<std::string, std::string> types = {{".html", "text/html; charset=utf-8"},
                                                           {".js", "text/javascript"},
                                                           {".wasm", "application/wasm"},
                                                           {".json", "application/json"},
                                                           {".css", "text/css"},
                                                           {".png", "image/png"},
                                                           {".bmp", "image/bmp"},
                                                           {".ttf", "font/ttf"},
                                                           {".txt", "text/plain"},
                                                           {".ini", "text/plain"},
                                                           {".ico", "image/x-icon"}};
  std::string ext = file.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto found = types.find(ext);
  return found == types.end() ? "application/octet-stream" : found->second;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The request target's path, percent-decoded, without its query; nothing
// when an escape is malformed.
std::optional<std::string> DecodedPath(std::string_view target) {
  target = target.substr(0, target.find_first_of("?#"));
  std::string path;
  for (size_t i = 0; i < target.size(); ++i) {
    if (target[i] != '%') {
      path += target[i];
      continue;
    }
    if (i + 2 >= target.size()) return std::nullopt;
    const int high = HexDigit(target[i + 1]), low = HexDigit(target[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return path;
}

std::string Head(int status, std::string_view reason, std::string_view type, size_t length) {
  std::ostringstream out;
  out << "HTTP/1.1 " << status << ' ' << reason << "\r\nContent-Type: " << type
      << "\r\nContent-Length: " << length << "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  return out.str();
}

std::string Plain(int status, std::string_view reason, bool withBody) {
  const std::string body = std::string(reason) + "\n";
  return Head(status, reason, "text/plain", body.size()) + (withBody ? body : "");
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the browser went away; nothing to tell it
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

std::string StaticResponse(const fs::path& root, std::string_view requestHead) {
  const std::string_view line = requestHead.substr(0, requestHead.find("\r\n"));
  const size_t space = line.find(' ');
  const size_t space2 = space == std::string_view::npos ? space : line.find(' ', space + 1);
  if (space2 == std::string_view::npos) return Plain(400, "Bad Request", true);
  const std::string_view method = line.substr(0, space);
  const bool head = method == "HEAD";
  if (method != "GET" && !head) return Plain(405, "Method Not Allowed", true);
  const auto path = DecodedPath(line.substr(space + 1, space2 - space - 1));
  if (!path || path->empty() || (*path)[0] != '/') return Plain(400, "Bad Request", !head);
  // A path with ".." in it, or one that names a file beside the folder
  // through a link, is not the folder's.
  fs::path file = root / fs::path(*path).relative_path();
  for (const auto& part : fs::path(*path)) {
    if (part == "..") return Plain(404, "Not Found", !head);
  }
  std::error_code error;
  if (fs::is_directory(file, error)) file /= "index.html";
  const fs::path real = fs::weakly_canonical(file, error);
  const fs::path base = fs::weakly_canonical(root, error);
  const auto [end, at] = std::mismatch(base.begin(), base.end(), real.begin(), real.end());
  if (end != base.end() || !fs::is_regular_file(real, error)) return Plain(404, "Not Found", !head);
  std::ifstream in(real, std::ios::binary);
  std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) return Plain(404, "Not Found", !head);
  return Head(200, "OK", TypeOf(real), body.size()) + (head ? "" : body);
}

StaticServer::StaticServer(fs::path root) : root_(std::move(root)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
      ::pipe2(wake_, O_CLOEXEC) != 0) {
    const std::string why = std::strerror(errno);
    if (listener_ >= 0) ::close(listener_);
    throw HarnessError("the web server could not listen on 127.0.0.1: " + why);
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

StaticServer::~StaticServer() {
  const char stop = 's';
  [[maybe_unused]] const ssize_t n = ::write(wake_[1], &stop, 1);
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::string StaticServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + std::string(path);
}

void StaticServer::Serve() {
  struct Client {
    int fd;
    std::string request;
  };
  std::vector<Client> clients;
  for (;;) {
    std::vector<pollfd> watched = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
    for (const Client& c : clients) watched.push_back({c.fd, POLLIN, 0});
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (watched[0].revents) break;
    if (watched[1].revents & POLLIN) {
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) clients.push_back({fd, {}});
    }
    for (size_t i = 2; i < watched.size(); ++i) {
      if (!watched[i].revents) continue;
      Client& c = clients[i - 2];
      char buffer[4096];
      const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
      if (n > 0) c.request.append(buffer, static_cast<size_t>(n));
      const size_t end = c.request.find("\r\n\r\n");
      if (end != std::string::npos)
        WriteAll(c.fd, StaticResponse(root_, std::string_view(c.request).substr(0, end)));
      // Answered, closed by the browser, or a head that will never end.
      if (end != std::string::npos || n <= 0 || c.request.size() > 65536) {
        ::close(c.fd);
        c.fd = -1;
      }
    }
    std::erase_if(clients, [](const Client& c) { return c.fd < 0; });
  }
  for (const Client& c : clients) ::close(c.fd);
}

}  // namespace e2e
