// The process-wide counts as sequences: which failed page and which alert dialog make a
// message due, over many more of them than one pass sees.
#include "poller/engine/core/notice_counters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The 1-based positions among count calls (failed pages 'F', alert dialogs 'A') at which the
// call gave true.
std::vector<int> DuePositions(NoticeCounters& counters, const char* calls) {
  std::vector<int> due;
  for (int i = 0; calls[i] != '\0'; ++i) {
    const bool isDue = calls[i] == 'F' ? counters.CountFailedPage() : counters.CountAlertDialog();
    if (isDue) due.push_back(i + 1);
  }
  return due;
}

std::vector<int> DueAmong(int count, bool (NoticeCounters::*call)()) {
  NoticeCounters counters;
  std::vector<int> due;
  for (int i = 1; i <= count; ++i)
    if ((counters.*call)()) due.push_back(i);
  return due;
}

}  // namespace

TEST(NoticeCounters, EveryNinthFailedPageMakesTheMessageDue) {
  NoticeCounters counters;
  EXPECT_EQ(DuePositions(counters, "FFFFFFFF"), std::vector<int>{}) << "eight failures";
  EXPECT_EQ(DuePositions(counters, "F"), std::vector<int>{1}) << "the ninth";
  EXPECT_EQ(DuePositions(counters, "FFFFFFFF"), std::vector<int>{}) << "the tenth to the seventeenth";
  EXPECT_EQ(DuePositions(counters, "F"), std::vector<int>{1}) << "the eighteenth";
  EXPECT_EQ(DueAmong(100, &NoticeCounters::CountFailedPage),
            (std::vector<int>{9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99}));
}

TEST(NoticeCounters, TheTipIsDueAtTheSixthAlertDialogAndNeverAgain) {
  NoticeCounters counters;
  EXPECT_EQ(DuePositions(counters, "AAAAA"), std::vector<int>{}) << "five dialogs";
  EXPECT_EQ(DuePositions(counters, "A"), std::vector<int>{1}) << "the sixth";
  EXPECT_EQ(DueAmong(100, &NoticeCounters::CountAlertDialog), std::vector<int>{6});
}

TEST(NoticeCounters, TheTwoCountsDoNotMeet) {
  NoticeCounters counters;
  // Alert dialogs between failed pages move neither count: the sixth A, then the ninth F.
  //                                123456789012345
  EXPECT_EQ(DuePositions(counters, "FAFAFAFAFAFAFFF"), (std::vector<int>{12, 15}));
  EXPECT_EQ(DuePositions(counters, "AAAAAAAAAFFFFFFFFF"), std::vector<int>{18});
}
