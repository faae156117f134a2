// A stand-in web browser for the tests: the shell's "open an http address" reaches a script that
// records the address instead of starting a real browser.
#pragma once
#include <string>
#include <vector>

namespace testing_support {

// Registers the script as Wine's browser (HKCU\Software\Wine\WineBrowser) and empties its
// record, C:\browser-record.txt of the prefix; both are undone at the end.
class StandInBrowser {
 public:
  StandInBrowser();
  ~StandInBrowser();
  StandInBrowser(const StandInBrowser&) = delete;
  StandInBrowser& operator=(const StandInBrowser&) = delete;

  // The addresses opened so far, waiting up to timeoutMs for at least `count` of them
  // (the shell returns before the browser has started).
  std::vector<std::string> Opened(size_t count = 1, unsigned timeoutMs = 10000) const;

 private:
  std::string recordPath_;
};

}  // namespace testing_support
