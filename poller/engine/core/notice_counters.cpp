// The polling loop's two process-wide counts.
#include "poller/engine/core/notice_counters.h"

namespace {

constexpr int kFailedPagesPerMessage = 9;
constexpr int kAlertDialogsBeforeTip = 6;

}  // namespace

bool NoticeCounters::CountFailedPage() {
  if (++failedPages_ < kFailedPagesPerMessage) return false;
  failedPages_ = 0;
  return true;
}

bool NoticeCounters::CountAlertDialog() {
  // Once the tip was due the count stands still: it is never due again, and never overflows.
  if (alertDialogs_ == kAlertDialogsBeforeTip) return false;
  return ++alertDialogs_ == kAlertDialogsBeforeTip;
}
