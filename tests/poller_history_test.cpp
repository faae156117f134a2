// lotwise.exe's bargain history under Wine: each alert of a pass becomes one line of
// alerthistory.txt with the user's answer, given through the real alert dialog; test passes
// write none, and the pass log reads as it would without the history.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "common/alert_history.h"
#include "common/settings_store.h"
#include "poller/dialogs/alert_ids.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/compass_page.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

class PollerHistory : public ::testing::Test {
 protected:
  ScopedRegistryKey settings_{kSettingsKeyPath};
  ScratchFolder folder_{"history"};
  std::string poller_ = ProgramPath("lotwise.exe");
  fixture_site::Site site_;

  void SetUp() override {
    ASSERT_TRUE(site_.Ready()) << site_.ServerLog();
    ASSERT_TRUE(site_.Put("/compass.html", kCompassPage));  // 1001 is a bargain at 25.00 and 90 minutes
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
  }
  void TearDown() override { RunProgram(poller_, "-k", folder_.Path()); }

  // count searches named "deal 1".."deal N", each finding 1001 as a bargain.
  void WriteDeals(int count) {
    std::string list;
    for (int i = 1; i <= count; ++i)
      list += "\"deal " + std::to_string(i) + "\" " + site_.Address("/compass.html") + " 0 1 30 25\r\n";
    WriteFileBytes(folder_.File("lotwise2.ini"), list);
  }
  std::vector<AlertHistoryEntry> History() { return ReadAlertHistory(ReadFileBytes(folder_.File(kAlertHistoryName))); }
  // The pass log without its time line.
  std::string LogWithoutTime() {
    return std::regex_replace(ReadFileBytes(folder_.File("lotwise.txt")), std::regex("Last Search: [^\r]*"), "");
  }
};

TEST_F(PollerHistory, EveryAnswerOfTheAlertDialogIsKeptWithTheAlert) {
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "1");
  WriteDeals(4);
  ChildProcess pass;
  ASSERT_TRUE(pass.Start(poller_, "-r", folder_.Path()));
  // View Now, View Later, then a logoff while the third waits, then View Never.
  const int answers[] = {IDOK, IDCANCEL, -1, kAlertViewNever};
  for (int answer : answers) {
    HWND alert = ui::WaitForWindow("Lotwise Alert V2.8", 20000);
    ASSERT_NE(alert, nullptr) << ui::DescribeScreen();
    if (answer == -1) {
      SendMessageA(alert, WM_ENDSESSION, TRUE, 0);
      EXPECT_EQ(History().size(), 3u) << "the line is written before the session may end";
      ui::Click(alert, IDCANCEL);  // Wine's session goes on: the pass does too
    } else {
      ui::Click(alert, answer);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(alert); })) << ui::DescribeScreen();
  }
  ASSERT_TRUE(pass.Wait(20000)) << ui::DescribeScreen();

  const std::vector<AlertHistoryEntry> history = History();
  ASSERT_EQ(history.size(), 4u) << ReadFileBytes(folder_.File(kAlertHistoryName));
  const char* const words[] = {"now", "later", "unanswered", "never"};
  for (size_t i = 0; i < history.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(AlertAnswerWord(history[i].answer), words[i]);
    EXPECT_EQ(history[i].searchDescription, "deal " + std::to_string(i + 1));
    EXPECT_EQ(history[i].id, "1001");
    EXPECT_EQ(history[i].description, "Brass ship compass");
    EXPECT_EQ(history[i].price, "19.50");
    EXPECT_EQ(history[i].minutes, 42);
    EXPECT_FLOAT_EQ(history[i].targetPrice, 25.0f);
    EXPECT_TRUE(std::regex_match(history[i].raised, std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)")));
  }
}

TEST_F(PollerHistory, PopupsOffGiveNoneAndThePassLogIsAsWithoutTheHistory) {
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  WriteDeals(2);
  // A history that cannot be written (a folder in its place) changes nothing else.
  ASSERT_TRUE(CreateDirectoryA(folder_.File(kAlertHistoryName).c_str(), nullptr));
  EXPECT_EQ(RunProgram(poller_, "-r", folder_.Path()), 0);
  const std::string withoutHistory = LogWithoutTime();
  ASSERT_NE(withoutHistory.find("RURE LOTWISE ALERT"), std::string::npos) << withoutHistory;
  RemoveDirectoryA(folder_.File(kAlertHistoryName).c_str());

  EXPECT_EQ(RunProgram(poller_, "-r", folder_.Path()), 0);
  EXPECT_EQ(LogWithoutTime(), withoutHistory);
  const std::vector<AlertHistoryEntry> history = History();
  ASSERT_EQ(history.size(), 2u);
  for (const AlertHistoryEntry& entry : history) EXPECT_EQ(entry.answer, AlertAnswer::None);

  // A test pass (a saved page for every download) alerts on no real item: nothing is kept.
  WriteFileBytes(folder_.File("page.html"), kCompassPage);
  EXPECT_EQ(RunProgram(poller_, "-t page.html", folder_.Path()), 0);
  EXPECT_EQ(History().size(), 2u);
}

}  // namespace
