// A Windows test's view of the fixture site that ctest started for it (FixtureSite.cmake):
// its port, addresses on it, files in its root and the requests it recorded.
#pragma once
#include <string>
#include <vector>

namespace fixture_site {

struct Request {
  std::string bytes;      // exactly as received: request line, header block, blank line
  std::string localHost;  // the loopback address it arrived at ("127.0.0.1", "127.0.0.2", ...)
  std::string RequestLine() const { return bytes.substr(0, bytes.find("\r\n")); }
};

class Site {
 public:
  // The site named by LOTWISE_FIXTURE_SITE / LOTWISE_FIXTURE_ROOT; its port file is waited for
  // up to timeoutMs. Ready() is false when there is none.
  explicit Site(unsigned timeoutMs = 10000);

  bool Ready() const { return port_ != 0; }
  int Port() const { return port_; }
  // "http://<host>:<port><path>"; the site answers on 127.0.0.1, 127.0.0.2 and 127.0.0.3 alike.
  std::string Address(const std::string& path, const std::string& host = "127.0.0.1") const;
  std::string HostAndPort(const std::string& host = "127.0.0.1") const;

  // The file behind a URL path under the root, as a Windows path.
  std::string RootFile(const std::string& urlPath) const;
  // Writes a file under the root (folders made as needed); the site reads it per request.
  bool Put(const std::string& urlPath, const std::string& bytes) const;

  // The requests recorded since the last call, oldest first; the site forgets them.
  std::vector<Request> TakeRequests() const;
  // Everything the site wrote to its log: what a failing test should show.
  std::string ServerLog() const;

 private:
  std::string state_;
  std::string root_;
  int port_ = 0;
};

}  // namespace fixture_site
