// The notification-area icon's texts as tables: the tooltip in each state, the balloons, and
// every text cut to the shell's room for it.
#include "poller/engine/core/notify_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "poller/engine/core/startup_shortcut.h"

namespace {

std::tm At(int month, int day, int hour, int minute) {
  std::tm time{};
  time.tm_year = 124;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  return time;
}

WatchState Waiting(long searches, std::tm last, std::tm next, long toCheck = 0) {
  WatchState state;
  state.searches = searches;
  state.passRunning = false;
  state.hasLastPass = true;
  state.lastPass = last;
  state.nextPass = next;
  state.searchesToCheck = toCheck;
  return state;
}

WatchState Running(long searches, long toCheck = 0) {
  WatchState state;
  state.searches = searches;
  state.searchesToCheck = toCheck;
  return state;
}

}  // namespace

TEST(NotifyTexts, TooltipInEachState) {
  const struct {
    WatchState state;
    const char* tip;
  } cases[] = {
      {WatchState(), "Lotwise\nPass in progress"},
      {Running(4), "Lotwise: watching 4 searches\nPass in progress"},
      {Running(1), "Lotwise: watching 1 search\nPass in progress"},
      {Running(0), "Lotwise: watching 0 searches\nPass in progress"},
      {Waiting(4, At(3, 14, 14, 5), At(3, 14, 14, 35)), "Lotwise: watching 4 searches\nLast pass 14:05, next 14:35"},
      {Waiting(1, At(3, 14, 9, 0), At(3, 14, 9, 0)), "Lotwise: watching 1 search\nLast pass 09:00, next 09:00"},
      // A wait into the next day names both days.
      {Waiting(2, At(3, 14, 23, 50), At(3, 15, 0, 20)),
       "Lotwise: watching 2 searches\nLast pass 03/14 23:50, next 03/15 00:20"},
      {Waiting(2, At(12, 31, 23, 50), At(1, 1, 0, 20)),
       "Lotwise: watching 2 searches\nLast pass 12/31 23:50, next 01/01 00:20"},
      {Waiting(4, At(3, 14, 14, 5), At(3, 14, 14, 35), 2),
       "Lotwise: watching 4 searches\nLast pass 14:05, next 14:35\n2 searches need checking"},
      {Waiting(4, At(3, 14, 14, 5), At(3, 14, 14, 35), 1),
       "Lotwise: watching 4 searches\nLast pass 14:05, next 14:35\n1 search needs checking"},
      {Running(4, 1), "Lotwise: watching 4 searches\nPass in progress\n1 search needs checking"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatWatchTip(c.state), c.tip);
}

TEST(NotifyTexts, TheLongestTooltipStillFits) {
  WatchState state = Waiting(2147483647, At(12, 31, 23, 59), At(1, 1, 0, 0), 2147483647);
  const std::string tip = FormatWatchTip(state);
  EXPECT_EQ(tip,
            "Lotwise: watching 2147483647 searches\nLast pass 12/31 23:59, next 01/01 00:00\n"
            "2147483647 searches need checking");
  EXPECT_LT(tip.size(), kNotifyTipSize);
}

TEST(NotifyTexts, CutToFitKeepsWhatFitsAndMarksWhatWasCut) {
  const struct {
    std::string text;
    std::size_t size;
    const char* fitted;
  } cases[] = {
      {"", 8, ""},
      {"1234567", 8, "1234567"},         // 7 bytes and the NUL: whole
      {"12345678", 8, "1234..."},        // one too many
      {"123456789012", 8, "1234..."},
      {"abcdef", 4, "..."},              // room for the mark alone
      {"abcdef", 3, "ab"},               // no room for the mark
      {"abcdef", 1, ""},
      {"abcdef", 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutToFit(c.text, c.size), c.fitted) << c.text << " in " << c.size;
}

TEST(NotifyTexts, AlertBalloonNamesTheItemAndItsPriceWithinTheBalloonsRoom) {
  BalloonTexts balloon = FormatAlertBalloon("Brass ship compass", "19.50");
  EXPECT_EQ(balloon.title, "Lotwise bargain");
  EXPECT_EQ(balloon.text, "Brass ship compass\nPrice: 19.50");

  // The longest description the parser keeps (511 bytes): cut, and the price kept whole.
  const std::string longDescription(511, 'd');
  balloon = FormatAlertBalloon(longDescription, "1234.56");
  const std::string tail = "\nPrice: 1234.56";
  EXPECT_EQ(balloon.text.size(), kNotifyBalloonTextSize - 1);
  EXPECT_EQ(balloon.text, std::string(kNotifyBalloonTextSize - 1 - tail.size() - 3, 'd') + "..." + tail);

  // A description that just fits is not cut.
  const std::string fits(kNotifyBalloonTextSize - 1 - tail.size(), 'f');
  EXPECT_EQ(FormatAlertBalloon(fits, "1234.56").text, fits + tail);

  // A price text far too long (131 bytes) leaves room for neither whole: the whole text is cut.
  const std::string longPrice(131, '9');
  balloon = FormatAlertBalloon(longDescription, std::string(300, '9'));
  EXPECT_EQ(balloon.text.size(), kNotifyBalloonTextSize - 1);
  EXPECT_EQ(balloon.text.substr(balloon.text.size() - 3), "...");
  balloon = FormatAlertBalloon(longDescription, longPrice);
  EXPECT_EQ(balloon.text.size(), kNotifyBalloonTextSize - 1);
  EXPECT_EQ(balloon.text.substr(balloon.text.size() - longPrice.size()), longPrice);
}

TEST(NotifyTexts, PassBalloonCountsTheBargainsAndNamesTheFirst) {
  const struct {
    long bargains;
    const char* title;
    const char* text;
  } cases[] = {
      {1, "Lotwise: 1 bargain found", "Brass ship compass\nPrice: 19.50\nClick to see it in Lotwise Manager."},
      {2, "Lotwise: 2 bargains found",
       "Brass ship compass\nPrice: 19.50 (and 1 more bargain)\nClick to see them in Lotwise Manager."},
      {12, "Lotwise: 12 bargains found",
       "Brass ship compass\nPrice: 19.50 (and 11 more bargains)\nClick to see them in Lotwise Manager."},
  };
  for (const auto& c : cases) {
    const BalloonTexts balloon = FormatPassBargainsBalloon(c.bargains, "Brass ship compass", "19.50");
    EXPECT_EQ(balloon.title, c.title);
    EXPECT_EQ(balloon.text, c.text);
  }
  const BalloonTexts most = FormatPassBargainsBalloon(2147483647, std::string(511, 'd'), "19.50");
  EXPECT_EQ(most.title, "Lotwise: 2147483647 bargains found");
  EXPECT_LT(most.title.size(), kNotifyBalloonTitleSize);
  EXPECT_EQ(most.text.size(), kNotifyBalloonTextSize - 1);
  EXPECT_NE(most.text.find("...\nPrice: 19.50 (and 2147483646 more bargains)\nClick to see them"), std::string::npos)
      << most.text;
}

TEST(NotifyTexts, SearchesAreTheLinesThePassTakes) {
  EXPECT_EQ(CountSavedSearches({}), 0);
  EXPECT_EQ(CountSavedSearches({"\"a\" http://x/ 0 0 1 1", "no quotes", "\"b\" http://x/ 0 0 1", "",
                                "\"c\"\thttp://x/\t1\t2\t3\t4.5"}),
            2);
}

TEST(StartupShortcut, OnlyAShortcutRightInsideAStartupFolderCounts) {
  const std::vector<std::string> folders = {
      "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp",
      "C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\",
  };
  const struct {
    const char* title;
    bool fromStartup;
  } cases[] = {
      {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Lotwise.lnk", true},
      {"c:\\programdata\\microsoft\\windows\\start menu\\programs\\startup\\LOTWISE.LNK", true},
      {"C:/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp/Lotwise.lnk", true},
      {"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\Mine.lnk", true},
      // The Start menu's own "Start Lotwise" shortcut, a console title, a folder below.
      {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Lotwise\\Start Lotwise.lnk", false},
      {"C:\\Program Files\\Rure Lotwise\\lotwise.exe", false},
      {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Old\\Lotwise.lnk", false},
      {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\.lnk", false},
      {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Lotwise.lnk.txt", false},
      {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp", false},
      {"Lotwise.lnk", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsShortcutInFolders(c.title, folders), c.fromStartup) << c.title;
  EXPECT_FALSE(IsShortcutInFolders("C:\\Lotwise.lnk", {}));
  EXPECT_FALSE(IsShortcutInFolders("\\Lotwise.lnk", {""}));
}
