// The search health of one poller: each search's outcome through a pass, the health file
// after it, and the message about searches that entered a warned state.
#pragma once
#include <ctime>
#include <string>
#include <vector>

#include "common/search_health_update.h"
#include "common/search_list.h"
#include "poller/engine/held_messages.h"
#include "poller/fetch/download_page.h"

// What a search's page came to: the download's report, whether the working page opened
// (false too when it could not be removed first) and how many items it gave.
SearchOutcome PageOutcome(const DownloadReport& report, bool pageOpened, long items);

class SearchHealthPass {
 public:
  // Test passes (a saved page stands in for every download) tell nothing about the searches.
  explicit SearchHealthPass(bool enabled) : enabled_(enabled) {}

  void Begin(const std::tm& passTime);
  void Record(const SavedSearch& search, const SearchOutcome& outcome);
  // After a pass that went through the whole list, inside the pass turn: rewrites the file
  // and, when pop-ups are on, holds the message for after the turn. A pass ended early
  // changes nothing.
  void Complete(HeldMessages& held);
  // The searches that the last completed pass left warned: they need checking.
  long WarnedCount() const;

 private:
  bool enabled_;
  std::string passTime_;
  std::vector<SearchPassResult> results_;
  std::vector<SearchHealth> lastRecords_;  // stands in for a file that could not be read
};
