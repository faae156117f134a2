// Shared by the download tests: answering what a download shows, and building fixture answers.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "poller/fetch/fetch_api.h"
#include "tests/uidriver/ui_driver.h"

namespace fetch_test {

constexpr char kCredentialsCaption[] = "Authentication Required";
constexpr int kUserEdit = 0x403;
constexpr int kPasswordEdit = 0x404;

// What appeared on screen while something ran.
struct Shown {
  std::vector<ui::MessageBoxSeen> boxes;  // every "Error" box, closed with OK
  int prompts = 0;                        // credentials prompts
  std::string Describe() const;
};

// Polls the screen until done() or timeoutMs, answering as a user would: each "Error" message
// box is read and closed with OK; each credentials prompt goes to `prompt`, or is cancelled when
// there is none. False when done() did not come in time.
bool WatchScreen(const std::function<bool()>& done, Shown* shown, const std::function<void(HWND)>& prompt,
                 DWORD timeoutMs);

struct Outcome {
  int result = -99;  // -99: the download did not end in time
  DownloadReport report;
  Shown shown;
};

// Runs the download on a thread of its own and answers on this one what it shows (see
// WatchScreen). A download that does not end within a minute fails the test.
Outcome RunDownload(const FetchApi& api, const std::string& address, const std::string& path,
                    const std::function<void(HWND)>& prompt = nullptr);

// The bytes a text-mode write stores for text: every LF becomes CR LF.
std::string OnDisk(const std::string& text);

// A whole HTTP answer as the fixture site sends a recorded one: status line, header lines
// (each given without its line end), blank line, body.
std::string Answer(const std::string& statusLine, const std::vector<std::string>& headers, const std::string& body);

}  // namespace fetch_test
