// The bargain history of one poller: every alert of a pass with a download (not a -t pass)
// becomes a line of "alerthistory.txt" once its answer is known.
#pragma once
#include <ctime>

#include "common/alert_history.h"
#include "common/search_list.h"
#include "poller/parse/auction_item.h"

class AlertHistoryPass {
 public:
  // Test passes (a saved page stands in for every download) alert on no real item.
  explicit AlertHistoryPass(bool enabled) : enabled_(enabled) {}

  // At the alert line: the line waits for its answer, raised at raisedAt.
  void Raise(const SavedSearch& search, const AuctionItem& item, std::time_t raisedAt);
  // Appends the raised alert's line with its answer in one write. A history that cannot be
  // written is passed over: the pass log keeps the alert.
  void Answer(AlertAnswer answer);
  // At the end of a pass, inside the pass turn, so no other poller appends meanwhile.
  void Cap();

 private:
  bool enabled_;
  bool raised_ = false;
  AlertHistoryEntry entry_;
};

// The answer that the alert dialog's result stands for.
AlertAnswer AlertAnswerOfDialogResult(long long result);
