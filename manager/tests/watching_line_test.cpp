// The watching line without a window: the poller's mark, both texts, the last pass's time, the cut.
#include <gtest/gtest.h>

#include <string>

#include "manager/core/watching_line.h"

TEST(WatchingLine, ThePollersMarkIsThereWhenItCanBeOpenedOrIsClosedToThisUser) {
  EXPECT_TRUE(IsWatching(PollerMark::Open));
  EXPECT_TRUE(IsWatching(PollerMark::Denied));
  EXPECT_FALSE(IsWatching(PollerMark::Missing));
}

TEST(WatchingLine, StateAndLastPassCutToTheStaticsLength) {
  const std::string longTime = std::string(60, '1') + " " + std::string(60, '2');
  // Without a length, the static's own.
  const struct { bool watching; std::string lastPass, line; std::size_t length = std::string::npos; } cases[] = {
      {true, "12/06/26 14:05:09", "Lotwise is watching. Last pass 12/06/26 14:05:09."},
      {true, "", "Lotwise is watching."},
      // Not watching: the log's time belongs to a poller that has ended.
      {false, "12/06/26 14:05:09", "Lotwise is not watching."},
      {false, "", "Lotwise is not watching."},
      // A damaged log's long time: cut to the static's 80 characters.
      {true, longTime, ("Lotwise is watching. Last pass " + longTime).substr(0, 77) + "..."},
      {true, "12/06/26 14:05:09", "Lotwise is watching. Last pass 12/06/26 14:05:09.", 49},  // exactly the length
      {true, "12/06/26 14:05:09", "Lotwise is watching. Last pass 12/06/26 14:05...", 48},   // one over
      {false, "", "Lotwise...", 10},
      {false, "", "Lot", 3},  // no room for the mark
      {true, "", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(c.length == std::string::npos ? FormatWatchingLine(c.watching, c.lastPass)
                                            : FormatWatchingLine(c.watching, c.lastPass, c.length),
              c.line);
  }
}
