// The watching line without a window: the poller's mark, both texts, the last pass's time, the cut.
#include <gtest/gtest.h>

#include <string>

#include "manager/core/watching_line.h"

TEST(WatchingLine, ThePollersMarkIsThereWhenItCanBeOpenedOrIsClosedToThisUser) {
  EXPECT_TRUE(IsWatching(PollerMark::Open));
  EXPECT_TRUE(IsWatching(PollerMark::Denied));
  EXPECT_FALSE(IsWatching(PollerMark::Missing));
}

TEST(WatchingLine, StateAndLastPass) {
  struct Case {
    bool watching;
    const char* lastPass;
    const char* line;
  } cases[] = {
      {true, "12/06/26 14:05:09", "Lotwise is watching. Last pass 12/06/26 14:05:09."},
      {true, "", "Lotwise is watching."},
      // Not watching: the log's time belongs to a poller that has ended.
      {false, "12/06/26 14:05:09", "Lotwise is not watching."},
      {false, "", "Lotwise is not watching."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(FormatWatchingLine(c.watching, c.lastPass), c.line);
  }
}

TEST(WatchingLine, CutToTheStaticsLength) {
  const std::string longTime = std::string(60, '1') + " " + std::string(60, '2');
  const std::string full = "Lotwise is watching. Last pass " + longTime + ".";
  struct Case {
    const char* name;
    bool watching;
    std::string lastPass;
    std::size_t length;
    std::string line;
  } cases[] = {
      {"a damaged log's long time", true, longTime, kWatchingLineLength,
       full.substr(0, kWatchingLineLength - 3) + "..."},
      {"exactly the length", true, "12/06/26 14:05:09", 49, "Lotwise is watching. Last pass 12/06/26 14:05:09."},
      {"one over", true, "12/06/26 14:05:09", 48, "Lotwise is watching. Last pass 12/06/26 14:05..."},
      {"not watching, narrow", false, "", 10, "Lotwise..."},
      {"no room for the mark", false, "", 3, "Lot"},
      {"nothing", true, "", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string line = FormatWatchingLine(c.watching, c.lastPass, c.length);
    EXPECT_EQ(line, c.line);
    EXPECT_LE(line.size(), c.length);
  }
}
