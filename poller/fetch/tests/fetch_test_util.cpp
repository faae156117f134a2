// Screen watching and fixture answers for the download tests.
#include "poller/fetch/tests/fetch_test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <thread>

namespace fetch_test {

std::string Shown::Describe() const {
  std::string text = std::to_string(prompts) + " credentials prompt(s), " + std::to_string(boxes.size()) + " box(es)";
  for (const auto& box : boxes) text += "\n  " + box.Describe();
  return text;
}

bool WatchScreen(const std::function<bool()>& done, Shown* shown, const std::function<void(HWND)>& prompt,
                 DWORD timeoutMs) {
  std::set<HWND> answered;  // a window goes a moment after its answer: answer it once
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (HWND box = ui::FindTopWindow("Error"); box && !answered.count(box)) {
      answered.insert(box);
      shown->boxes.push_back(ui::ReadMessageBox(box));
      ui::Click(box, IDOK);
    }
    if (HWND dialog = ui::FindTopWindow(kCredentialsCaption); dialog && !answered.count(dialog)) {
      answered.insert(dialog);
      ++shown->prompts;
      if (prompt)
        prompt(dialog);
      else
        ui::Click(dialog, IDCANCEL);
    }
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
}

Outcome RunDownload(const FetchApi& api, const std::string& address, const std::string& path,
                    const std::function<void(HWND)>& prompt) {
  Outcome outcome;
  // Shared: a download left running past its time would otherwise write into a dead outcome.
  auto report = std::make_shared<DownloadReport>();
  std::packaged_task<int()> task([&api, address, path, report] {
    return DownloadPageWith(api, address.c_str(), path.c_str(), nullptr, report.get());
  });
  std::future<int> result = task.get_future();
  std::thread worker(std::move(task));
  const bool ended =
      WatchScreen([&result] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                  &outcome.shown, prompt, 60000);
  if (!ended) {
    ADD_FAILURE() << "the download did not end; " << ui::DescribeScreen();
    worker.detach();  // it may still hold a window; the test program's time limit ends it
    return outcome;
  }
  worker.join();
  outcome.result = result.get();
  outcome.report = *report;
  return outcome;
}

std::string OnDisk(const std::string& text) {
  std::string bytes;
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

std::string Answer(const std::string& statusLine, const std::vector<std::string>& headers, const std::string& body) {
  std::string answer = statusLine + "\r\n";
  for (const std::string& header : headers) answer += header + "\r\n";
  return answer + "\r\n" + body;
}

}  // namespace fetch_test
