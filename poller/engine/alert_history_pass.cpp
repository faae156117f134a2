#include "poller/engine/alert_history_pass.h"

#include <windows.h>

#include "common/alert_history_append.h"
#include "common/alert_history_cap.h"
#include "common/pass_log.h"
#include "poller/dialogs/alert_ids.h"

void AlertHistoryPass::Raise(const SavedSearch& search, const AuctionItem& item, std::time_t raisedAt) {
  if (!enabled_) return;
  entry_ = AlertHistoryEntry{};
  entry_.raised = FormatPassTime(*std::localtime(&raisedAt));
  entry_.searchDescription = search.description;
  entry_.id = item.id;
  entry_.description = item.description;
  entry_.price = item.price;
  entry_.days = item.days;
  entry_.hours = item.hours;
  entry_.minutes = item.minutes;
  entry_.targetPrice = search.price;
  raised_ = true;
}

void AlertHistoryPass::Answer(AlertAnswer answer) {
  if (!enabled_ || !raised_) return;
  raised_ = false;
  entry_.answer = answer;
  AppendAlertHistoryLine(kAlertHistoryName, FormatAlertHistoryLine(entry_));
}

void AlertHistoryPass::Cap() {
  if (enabled_) CapAlertHistory(kAlertHistoryName);
}

AlertAnswer AlertAnswerOfDialogResult(long long result) {
  switch (result) {
    case IDOK:
      return AlertAnswer::Now;
    case kAlertViewNever:
      return AlertAnswer::Never;
    default:
      return AlertAnswer::Later;  // View Later, or the window closed
  }
}
