// StandInBrowser: registers tests/support/stand_in_browser.sh with winebrowser.
#include "tests/support/stand_in_browser.h"

#include <windows.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace testing_support {
namespace {

constexpr char kBrowserKey[] = "Software\\Wine\\WineBrowser";

// The record file as a Unix path (for the script) and as a Windows path (for the test).
std::string UnixPathOf(const std::string& windowsPath) {
  // Wine maps drive Z: to the Unix root.
  std::string path = windowsPath;
  if (path.size() > 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path = path.substr(2);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  GetFullPathNameA(".", MAX_PATH, folder, nullptr);
  return folder;
}

}  // namespace

StandInBrowser::StandInBrowser() {
  recordPath_ = CurrentFolder() + "\\browser-record.txt";
  DeleteFileA(recordPath_.c_str());
  SetEnvironmentVariableA("LOTWISE_BROWSER_RECORD", UnixPathOf(recordPath_).c_str());
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  const std::string browser = LOTWISE_SOURCE_DIR "/tests/support/stand_in_browser.sh";
  RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                 static_cast<DWORD>(browser.size() + 1));
  RegCloseKey(key);
}

StandInBrowser::~StandInBrowser() {
  DeleteKeyTree(HKEY_CURRENT_USER, kBrowserKey);
  DeleteFileA(recordPath_.c_str());
}

std::vector<std::string> StandInBrowser::Opened(size_t count, unsigned timeoutMs) const {
  const DWORD start = GetTickCount();
  std::vector<std::string> lines;
  for (;;) {
    lines.clear();
    std::istringstream record(ReadFileBytes(recordPath_));
    for (std::string line; std::getline(record, line);) lines.push_back(line);
    if (lines.size() >= count || GetTickCount() - start >= timeoutMs) return lines;
    Sleep(50);
  }
}

}  // namespace testing_support
