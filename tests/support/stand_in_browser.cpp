// StandInBrowser: registers tests/support/stand_in_browser.sh with winebrowser.
#include "tests/support/stand_in_browser.h"

#include <windows.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace testing_support {
namespace {

constexpr char kBrowserKey[] = "Software\\Wine\\WineBrowser";
// Where the script records. The tests of one prefix run one at a time, so one record at the
// root of its drive C: serves them all.
constexpr char kRecordPath[] = "C:\\browser-record.txt";

}  // namespace

StandInBrowser::StandInBrowser() {
  recordPath_ = kRecordPath;
  DeleteFileA(recordPath_.c_str());
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
