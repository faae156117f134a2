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
  time.tm_year = 124; time.tm_mon = month - 1; time.tm_mday = day; time.tm_hour = hour; time.tm_min = minute;
  return time;
}

}  // namespace

TEST(NotifyTexts, TooltipInEachState) {
  // Fields: searches, pass running, has a last pass, last pass, next pass, searches to check.
  const std::tm last = At(3, 14, 14, 5), next = At(3, 14, 14, 35);
  const struct { WatchState state; const char* tip; } cases[] = {
      {{}, "Lotwise\nPass in progress"}, {{4}, "Lotwise: watching 4 searches\nPass in progress"},
      {{1}, "Lotwise: watching 1 search\nPass in progress"}, {{0}, "Lotwise: watching 0 searches\nPass in progress"},
      {{4, true, false, {}, {}, 1}, "Lotwise: watching 4 searches\nPass in progress\n1 search needs checking"},
      {{4, false, true, last, next}, "Lotwise: watching 4 searches\nLast pass 14:05, next 14:35"},
      {{1, false, true, At(3, 14, 9, 0), At(3, 14, 9, 0)}, "Lotwise: watching 1 search\nLast pass 09:00, next 09:00"},
      {{4, false, true, last, next, 2},
       "Lotwise: watching 4 searches\nLast pass 14:05, next 14:35\n2 searches need checking"},
      {{4, false, true, last, next, 1},
       "Lotwise: watching 4 searches\nLast pass 14:05, next 14:35\n1 search needs checking"},
      // A wait into the next day names both days.
      {{2, false, true, At(3, 14, 23, 50), At(3, 15, 0, 20)},
       "Lotwise: watching 2 searches\nLast pass 03/14 23:50, next 03/15 00:20"},
      {{2, false, true, At(12, 31, 23, 50), At(1, 1, 0, 20)},
       "Lotwise: watching 2 searches\nLast pass 12/31 23:50, next 01/01 00:20"},
      // The longest tooltip still fits.
      {{2147483647, false, true, At(12, 31, 23, 59), At(1, 1, 0, 0), 2147483647},
       "Lotwise: watching 2147483647 searches\nLast pass 12/31 23:59, next 01/01 00:00\n"
       "2147483647 searches need checking"},
  };
  for (const auto& c : cases) {
    const std::string tip = FormatWatchTip(c.state);
    EXPECT_EQ(tip, c.tip);
    EXPECT_LT(tip.size(), kNotifyTipSize);
  }
}

TEST(NotifyTexts, CutToFitKeepsWhatFitsAndMarksWhatWasCut) {
  const struct { std::string text; std::size_t size; const char* fitted; } cases[] = {
      {"", 8, ""}, {"1234567", 8, "1234567"},                // 7 bytes and the NUL: whole
      {"12345678", 8, "1234..."}, {"123456789012", 8, "1234..."},  // one too many, and more
      {"abcdef", 4, "..."}, {"abcdef", 3, "ab"},             // room for the mark alone, then not even that
      {"abcdef", 1, ""}, {"abcdef", 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutToFit(c.text, c.size), c.fitted) << c.text << " in " << c.size;
}

TEST(NotifyTexts, AlertBalloonNamesTheItemAndItsPriceWithinTheBalloonsRoom) {
  const BalloonTexts balloon = FormatAlertBalloon("Brass ship compass", "19.50");
  EXPECT_EQ(balloon.title, "Lotwise bargain");
  EXPECT_EQ(balloon.text, "Brass ship compass\nPrice: 19.50");
  // The longest description the parser keeps (511 bytes) is cut and the price kept whole, even
  // the longest price text (131 bytes); a description that just fits is not cut.
  const std::size_t room = 255;  // the shell's 256 bytes less the NUL
  for (const std::string& price : {std::string("1234.56"), std::string(131, '9')}) {
    const std::string tail = "\nPrice: " + price;
    EXPECT_EQ(FormatAlertBalloon(std::string(511, 'd'), price).text,
              std::string(room - tail.size() - 3, 'd') + "..." + tail);
    const std::string fits(room - tail.size(), 'f');
    EXPECT_EQ(FormatAlertBalloon(fits, price).text, fits + tail);
  }
  // A price text that leaves no room for the description: the whole text is cut.
  EXPECT_EQ(FormatAlertBalloon(std::string(511, 'd'), std::string(300, '9')).text, std::string(room - 3, 'd') + "...");
}

TEST(NotifyTexts, PassBalloonCountsTheBargainsAndNamesTheFirst) {
  const struct { long bargains; std::string description, title, text; } cases[] = {
      {1, "Brass ship compass", "Lotwise: 1 bargain found",
       "Brass ship compass\nPrice: 19.50\nClick to see it in Lotwise Manager."},
      {2, "Brass ship compass", "Lotwise: 2 bargains found",
       "Brass ship compass\nPrice: 19.50 (and 1 more bargain)\nClick to see them in Lotwise Manager."},
      {12, "Brass ship compass", "Lotwise: 12 bargains found",
       "Brass ship compass\nPrice: 19.50 (and 11 more bargains)\nClick to see them in Lotwise Manager."},
      {2147483647, std::string(511, 'd'), "Lotwise: 2147483647 bargains found",
       std::string(170, 'd') + "...\nPrice: 19.50 (and 2147483646 more bargains)\nClick to see them in Lotwise Manager."},
  };
  for (const auto& c : cases) {
    const BalloonTexts balloon = FormatPassBargainsBalloon(c.bargains, c.description, "19.50");
    EXPECT_EQ(balloon.title, c.title);
    EXPECT_EQ(balloon.text, c.text);
  }
}

TEST(NotifyTexts, SearchesAreTheLinesThePassTakes) {
  EXPECT_EQ(CountSavedSearches({}), 0);
  EXPECT_EQ(CountSavedSearches({"\"a\" http://x/ 0 0 1 1", "no quotes", "\"b\" http://x/ 0 0 1", "",
                                "\"c\"\thttp://x/\t1\t2\t3\t4.5"}),
            2);
}

TEST(StartupShortcut, OnlyAShortcutRightInsideAStartupFolderCounts) {
  const std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
  const std::string mine = "C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\";
  const std::vector<std::string> folders = {programs + "StartUp", mine};
  for (const std::string& path :
       {programs + "StartUp\\Lotwise.lnk", mine + "Mine.lnk",
        std::string("c:\\programdata\\microsoft\\windows\\start menu\\programs\\startup\\LOTWISE.LNK"),
        std::string("C:/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp/Lotwise.lnk")})
    EXPECT_TRUE(IsShortcutInFolders(path, folders)) << path;
  // The Start menu's own "Start Lotwise" shortcut, a console title, a folder below, not a shortcut.
  for (const std::string& path :
       {programs + "Lotwise\\Start Lotwise.lnk", std::string("C:\\Program Files\\Rure Lotwise\\lotwise.exe"),
        programs + "StartUp\\Old\\Lotwise.lnk", programs + "StartUp\\.lnk", programs + "StartUp\\Lotwise.lnk.txt",
        programs + "StartUp", std::string("Lotwise.lnk"), std::string()})
    EXPECT_FALSE(IsShortcutInFolders(path, folders)) << path;
  EXPECT_FALSE(IsShortcutInFolders("C:\\Lotwise.lnk", {}));
  EXPECT_FALSE(IsShortcutInFolders("\\Lotwise.lnk", {""}));
}
