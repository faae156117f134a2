// The fixture site from a Windows test: environment, port file, root files, request log.
#include "tests/fixture_site/fixture_site_client.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "tests/support/test_support.h"

namespace fixture_site {
namespace {

std::string Environment(const char* name) {
  char value[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? value : "";
}

std::string WindowsPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace

Site::Site(unsigned timeoutMs)
    : state_(WindowsPath(Environment("LOTWISE_FIXTURE_SITE"))),
      root_(WindowsPath(Environment("LOTWISE_FIXTURE_ROOT"))) {
  if (state_.empty()) return;
  const DWORD start = GetTickCount();
  for (;;) {
    const std::string text = testing_support::ReadFileBytes(state_ + "\\port");
    if (!text.empty() && text.back() == '\n') {  // written whole, then renamed into place
      port_ = std::atoi(text.c_str());
      return;
    }
    if (GetTickCount() - start >= timeoutMs) return;
    Sleep(50);
  }
}

std::string Site::HostAndPort(const std::string& host) const { return host + ":" + std::to_string(port_); }

std::string Site::Address(const std::string& path, const std::string& host) const {
  return "http://" + HostAndPort(host) + path;
}

std::string Site::RootFile(const std::string& urlPath) const {
  std::string relative = urlPath;
  while (!relative.empty() && relative[0] == '/') relative.erase(0, 1);
  return root_ + "\\" + WindowsPath(relative);
}

bool Site::Put(const std::string& urlPath, const std::string& bytes) const {
  const std::string file = RootFile(urlPath);
  for (size_t slash = file.find('\\', root_.size() + 1); slash != std::string::npos; slash = file.find('\\', slash + 1))
    CreateDirectoryA(file.substr(0, slash).c_str(), nullptr);
  return testing_support::WriteFileBytes(file, bytes);
}

std::vector<Request> Site::TakeRequests() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const std::string folder = state_ + "\\requests";
  HANDLE search = FindFirstFileA((folder + "\\*.http").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.cFileName[0] != '.') names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());  // NNNNNN_HOST.http: the number orders them
  std::vector<Request> requests;
  for (const std::string& name : names) {
    const std::string path = folder + "\\" + name;
    Request request;
    request.bytes = testing_support::ReadFileBytes(path);
    const size_t underscore = name.find('_');
    request.localHost = name.substr(underscore + 1, name.size() - underscore - 1 - 5);
    requests.push_back(request);
    DeleteFileA(path.c_str());
  }
  return requests;
}

std::string Site::ServerLog() const { return testing_support::ReadFileBytes(state_ + "\\server.log"); }

}  // namespace fixture_site
