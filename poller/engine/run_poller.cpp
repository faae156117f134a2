// The polling loop: passes over the search list, each search's page downloaded, parsed and
// every item tested and logged; between passes it sleeps on the abort event.
#include "poller/engine/run_poller.h"

#include <mmsystem.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "common/pass_log.h"
#include "common/search_list.h"
#include "common/settings_store.h"
#include "common/unique_file.h"
#include "poller/dialogs/alert_dialog.h"
#include "poller/engine/alert_history_pass.h"
#include "poller/engine/core/bargain_rule.h"
#include "common/blocked_auctions.h"
#include "poller/engine/core/notice_counters.h"
#include "poller/engine/core/pass_wait.h"
#include "poller/engine/core/search_list_reader.h"
#include "poller/engine/held_messages.h"
#include "poller/engine/instance_control.h"
#include "poller/engine/notify_icon.h"
#include "poller/engine/search_health_pass.h"
#include "poller/fetch/download_page.h"
#include "poller/parse/result_page.h"

namespace {

constexpr char kAlertSoundPath[] = "c:\\program files\\rure lotwise\\cash-register.wav";

enum class PassEnd { Completed, Aborted, ListNotRead, LogNotOpened, AlertDialogFailed };

class PollingLoop {
 public:
  PollingLoop(const StartupSettings& settings, HANDLE abortEvent)
      : settings_(settings), abort_(abortEvent), health_(!settings.testMode), history_(!settings.testMode) {}
  PassEnd RunPass();
  // After a completed pass: the searches that search health warns about.
  long SearchesToCheck() const { return health_.WarnedCount(); }

 private:
  enum class SearchEnd { Done, AlertDialogFailed };
  PassEnd RunGuardedPass();
  void HoldWriteFailures();
  SearchEnd RunSearch(const SavedSearch& search);
  SearchEnd CheckItem(const SavedSearch& search, const AuctionItem& item);
  void CountFailedPage();
  bool AbortRequested(DWORD timeoutMs) const { return StopRequested(abort_, timeoutMs); }

  const StartupSettings& settings_;
  HANDLE abort_;
  UniqueFile log_;
  NoticeCounters notices_;  // failed pages and alert dialogs, counted for the whole process
  bool blocksUnwritten_ = false;
  bool blockFailureShown_ = false;
  bool logUnwritten_ = false;
  bool logFailureShown_ = false;
  // The alert dialog and the credentials prompt are part of the pass; every other message
  // waits until the pass has given back its turn.
  HeldMessages held_;
  SearchHealthPass health_;
  AlertHistoryPass history_;
  AuctionItem item_{};
};

PassEnd PollingLoop::RunPass() {
  if (!EnterPass(abort_)) return PassEnd::Aborted;
  const PassEnd end = RunGuardedPass();
  LeavePass();
  // A stop request is answered at once, never held up by a message: the stopped pass's are dropped.
  if (end == PassEnd::Aborted) {
    held_.Clear();
    return end;
  }
  if (end == PassEnd::ListNotRead) {
    char text[kStartupPathSize + 64];
    std::snprintf(text, sizeof text, "The file %s was not opened\n", settings_.searchListPath);
    held_.Hold(text, "Error");
  } else if (end == PassEnd::LogNotOpened) {
    held_.Hold("The file lotwise.txt was not opened", "Error");
  } else {
    HoldWriteFailures();
  }
  held_.ShowAll();
  return end;
}

// Each told once per process: a continuous poller writes the log anew every pass, keeps the
// blocks and retries them at every lookup.
void PollingLoop::HoldWriteFailures() {
  if (logUnwritten_ && !logFailureShown_) {
    logFailureShown_ = true;
    char text[sizeof kPassLogName + 64];
    std::snprintf(text, sizeof text, "The file %s could not be written.", kPassLogName);
    held_.Hold(text, "Error");
  }
  if (blocksUnwritten_ && !blockFailureShown_) {
    blockFailureShown_ = true;
    char text[sizeof kBlockFileName + 160];
    std::snprintf(text, sizeof text,
                  "The file %s could not be written.\nItems you chose never to see again may be shown again.",
                  kBlockFileName);
    held_.Hold(text, "Error");
  }
}

PassEnd PollingLoop::RunGuardedPass() {
  std::vector<std::string> lines;
  // A list that does not exist is read as an empty one (lines stays empty): a fresh installation
  // has none until the manager writes the first search, and a message at every logon would
  // report a normal state as a failure.
  if (ReadSearchList(settings_.searchListPath, lines) == SearchListRead::Failed) return PassEnd::ListNotRead;
  log_.reset(std::fopen(kPassLogName, "w"));
  if (!log_) return PassEnd::LogNotOpened;
  NotifyPassBegun(lines);

  const std::time_t now = std::time(nullptr);
  WriteVersionLine(log_.get());
  const std::tm passTime = *std::localtime(&now);
  WriteLastSearchLine(log_.get(), passTime);
  health_.Begin(passTime);

  PassEnd end = PassEnd::Completed;
  for (const std::string& line : lines) {
    SavedSearch search{};
    // A line that is not a search (no quoted description, or fewer than five fields) is passed
    // over without a download or a log line: the log keeps only what readers can take apart.
    if (ParseSavedSearch(line.c_str(), search) && RunSearch(search) == SearchEnd::AlertDialogFailed) {
      end = PassEnd::AlertDialogFailed;
      break;
    }
    if (AbortRequested(1)) {
      end = PassEnd::Aborted;
      break;
    }
  }
  if (end == PassEnd::Completed) {
    WriteListClosedLine(log_.get(), settings_.searchListPath);
    health_.Complete(held_);
  }
  // A log cut short (a full disk) leaves the manager showing an old or empty pass.
  logUnwritten_ = !CloseChecked(std::move(log_));
  // A "View Never" that could not be written stays in memory for the next lookup; the last
  // chance to write it before the process may end is now.
  blocksUnwritten_ = !WritePendingBlocksNow();
  history_.Cap();
  return end;
}

PollingLoop::SearchEnd PollingLoop::RunSearch(const SavedSearch& search) {
  WriteSearchLine(log_.get(), search.description, search.TriggerMinutes(), search.price);
  DownloadReport report;
  if (settings_.testMode) {
    WriteTestLine(log_.get(), settings_.workingPageName);
  } else {
    // An old page that cannot be removed (another program holds it open) would be read as
    // this search's page and alert on another search's items: the page counts as failed.
    errno = 0;
    if (std::remove(settings_.workingPageName) != 0 && errno != ENOENT) {
      health_.Record(search, PageOutcome(DownloadReport(), false, 0));
      CountFailedPage();
      return SearchEnd::Done;
    }
    // Whether there is a page is judged by the file alone; the report tells the search's health.
    DownloadPage(
        search.url, settings_.workingPageName,
        [this](const std::string& text, const char* caption) { held_.Hold(text, caption); }, &report);
  }

  ResultPage page;
  page.stream = std::fopen(settings_.workingPageName, "r");
  if (!page.stream) {
    health_.Record(search, PageOutcome(report, false, 0));
    CountFailedPage();
    return SearchEnd::Done;
  }
  NormaliseResultPage(page);
  LocateResultList(page);
  SearchEnd end = SearchEnd::Done;
  long items = 0;
  while (!PageEnded(page)) {
    item_.id[0] = '\0';
    ParseNextItem(page, item_);
    if (item_.id[0] == '\0') continue;
    ++items;
    end = CheckItem(search, item_);
    if (end == SearchEnd::AlertDialogFailed) break;
    WriteItemLine(log_.get(), item_.id, item_.description, item_.bids, item_.price, item_.days, item_.hours,
                  item_.minutes);
  }
  if (end == SearchEnd::Done) WritePageClosedLine(log_.get());
  ClosePage(page);
  health_.Record(search, PageOutcome(report, true, items));
  return end;
}

PollingLoop::SearchEnd PollingLoop::CheckItem(const SavedSearch& search, const AuctionItem& item) {
  float price = 0;
  const int itemMinutes = ItemMinutes(item);
  if (!IsBargain(item.price, itemMinutes, search.price, search.TriggerMinutes(), price)) return SearchEnd::Done;
  // Asked only of bargains: its pruning and its "no blockfile" line follow from that order.
  if (IsBlocked(item.id, log_.get(), static_cast<long long>(std::time(nullptr)))) return SearchEnd::Done;

  WriteAlertLine(log_.get(), search.TriggerMinutes(), itemMinutes, search.price, price);
  history_.Raise(search, item, std::time(nullptr));
  if (IsSoundEnabled()) PlaySoundA(kAlertSoundPath, nullptr, SND_FILENAME);
  if (ArePopupsEnabled()) {
    NotifyAlertShown(item);
    const INT_PTR result = ShowAlertDialog(
        item, [](void* history) { static_cast<AlertHistoryPass*>(history)->Answer(AlertAnswer::Unanswered); },
        &history_);
    if (result == -1) {
      held_.Hold("Failure in creating main dialog window", "Error");
      return SearchEnd::AlertDialogFailed;
    }
    history_.Answer(AlertAnswerOfDialogResult(result));
    if (notices_.CountAlertDialog()) {
      held_.Hold(
          "You may be receiving too many Bargain Alerts.\nYou should only see alerts when a true bargain is found.\n"
          "Try lowering your price or narrow your search.\nSee the Tips section of the user's manual",
          "Lotwise Tip");
    }
  } else {
    history_.Answer(AlertAnswer::None);
    NotifyBargainNotShown(item);
  }
  return SearchEnd::Done;
}

void PollingLoop::CountFailedPage() {
  if (notices_.CountFailedPage()) held_.Hold("No internet connection.\nLotwise standing by\n", "Lotwise");
}

}  // namespace

int RunPoller(const StartupSettings& settings, HANDLE abortEvent) {
  PollingLoop loop(settings, abortEvent);
  for (;;) {
    const int interval = ReadRunInterval();
    switch (loop.RunPass()) {
      case PassEnd::ListNotRead:
      case PassEnd::LogNotOpened:
        return -1;
      case PassEnd::AlertDialogFailed:
        return 0;  // ends without setting the run event
      case PassEnd::Aborted:
        SignalStopped();
        return 0;
      case PassEnd::Completed:
        break;
    }
    if (settings.onePass) return 0;
    NotifyPassEnded(interval, loop.SearchesToCheck());
    if (StopRequested(abortEvent, PassWaitMilliseconds(interval))) {
      SignalStopped();
      return 0;
    }
  }
}
