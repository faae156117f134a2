// The process-wide counts as sequences: which failed page and which alert dialog make a
// message due, over many more of them than one pass sees.
#include "poller/engine/core/notice_counters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(NoticeCounters, EveryNinthFailedPageAndOnlyTheSixthAlertDialogMakeAMessageDue) {
  // Count calls: failed pages 'F', alert dialogs 'A'; the 1-based positions of those that gave true.
  const struct { std::string calls; std::vector<int> due; } cases[] = {
      {std::string(100, 'F'), {9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99}},
      {std::string(100, 'A'), {6}},
      // Alert dialogs between failed pages move neither count: the sixth A, then the ninth F;
      // after them, more dialogs make nothing due, and nine more failed pages do.
      //123456789012345
      {"FAFAFAFAFAFAFFF" "AAAAAAAAAFFFFFFFFF", {12, 15, 33}},
  };
  for (const auto& c : cases) {
    NoticeCounters counters;
    std::vector<int> due;
    for (int i = 0; i < static_cast<int>(c.calls.size()); ++i)
      if (c.calls[i] == 'F' ? counters.CountFailedPage() : counters.CountAlertDialog()) due.push_back(i + 1);
    EXPECT_EQ(due, c.due) << c.calls;
  }
}
