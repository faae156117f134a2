// LotwiseMgr.exe under Wine: the bargain history from the window menu — its rows newest first,
// the filter, opening an item's page, and "Alert me again", which lifts a View Never block
// inside the pass turn without ever freezing the window.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "common/alert_history.h"
#include "common/blocked_auctions.h"
#include "common/poller_instance.h"
#include "common/settings_store.h"
#include "manager/manager_ids.h"
#include "manager/tests/manager_session.h"
#include "tests/support/compass_page.h"
#include "tests/support/screen_capture.h"
#include "tests/support/stand_in_browser.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

using Rows = std::vector<std::string>;

constexpr char kCaption[] = "Bargain History";
constexpr char kBoxCaption[] = "Alert Me Again";
constexpr char kWaiting[] = "The block will be lifted once the open alert is answered.";
constexpr char kLifted[] = "The block was lifted: the next pass alerts item 1001 again if it is still a bargain.";
constexpr char kCalledOff[] =
    "The block was not lifted: the bargain history was closed before the open alert was answered.";

AlertHistoryEntry Entry(const char* raised, const char* search, const char* id, const char* description,
                        const char* price, AlertAnswer answer) {
  return {raised, search, id, description, price, 0, 0, 42, 25, answer};
}

// A search and a description longer than their columns.
constexpr char kLongSearch[] = "Barometers, barographs and other weather instruments of every make";
constexpr char kLongDescription[] =
    "Aneroid barometer in a carved oak case, with its thermometer, its maker's label and the original key";

AlertHistoryEntry LongEntry() {
  return {"12/29/25 08:00:00", kLongSearch, "555", kLongDescription, "88.00", 2, 5, 17, 25, AlertAnswer::Unanswered};
}

// Five alerts in file order, the newest last; the dates of the last two turn the year. A line
// that does not read sits among them.
std::string History() {
  return FormatAlertHistoryLine(LongEntry()) + FormatAlertHistoryLine(
             Entry("12/30/25 09:00:00", "brass compass", "1001", "Brass ship compass", "19.50", AlertAnswer::Never)) +
         FormatAlertHistoryLine(
             Entry("12/31/25 10:00:00", "Slide rules", "4455", "Boxwood slide rule", "7.00", AlertAnswer::Now)) +
         "a line that is not an alert\r\n" +
         FormatAlertHistoryLine(
             Entry("01/01/26 08:15:00", "globes", "777", "Desk globe with COMPASS", "12.00", AlertAnswer::Never)) +
         FormatAlertHistoryLine(
             Entry("01/02/26 17:45:30", "brass compass", "1002", "Pocket compass with lid", "31.00", AlertAnswer::Later));
}

// The item and answer columns of each row.
Rows ItemsAndAnswers(const Rows& rows) {
  Rows shown;
  for (const std::string& row : rows) {
    const std::vector<std::string> fields = SplitColumns(row);
    shown.push_back(fields.size() == 8 ? fields[2] + " " + fields[7] : "(" + row + ")");
  }
  return shown;
}

std::string Stamp(long long at) { return std::to_string(static_cast<std::int32_t>(at)); }

// Whether the pass log shows an alert for item 1001: its alert line right before its item line.
bool AlertedFor1001(const std::string& log) {
  const std::vector<std::string> lines = SplitLines(log);
  for (size_t i = 1; i < lines.size(); ++i)
    if (lines[i].rfind("ID:1001 ", 0) == 0 && lines[i - 1].rfind("RURE LOTWISE ALERT", 0) == 0) return true;
  return false;
}

class BargainHistory : public ::testing::Test {
 protected:
  ManagerSession session_{"history"};
  HWND window_ = nullptr;
  long long now_ = static_cast<long long>(std::time(nullptr));

  void SetUp() override { WriteFileBytes(session_.FolderFile(kAlertHistoryName), History()); }

  // The blocked list of every test: item 1001 blocked twice (the newest a day ago) and once
  // long ago, other items, a line that is no entry, CR LF and LF line ends, and a last line
  // without its end.
  std::string BlockedList() const {
    return "1001 " + Stamp(now_ - 3 * 86400) + "\r\n" + "10011 " + Stamp(now_) + "\r\n" + "not an entry\r\n" +
           "1001 " + Stamp(now_ - 86400) + "\n" + "1002 " + Stamp(now_ - 5 * 86400) + "\r\n" + "1001 " +
           Stamp(now_ - 11 * 86400) + "\r\n" + "777x " + Stamp(now_);
  }
  std::string BlockedListWithout1001() const {
    return "10011 " + Stamp(now_) + "\r\n" + "not an entry\r\n" + "1002 " + Stamp(now_ - 5 * 86400) + "\r\n" +
           "777x " + Stamp(now_);
  }
  std::string BlockedFile() const { return ReadFileBytes(session_.FolderFile(kBlockFileName)); }

  void Start() {
    ASSERT_TRUE(session_.Start()) << ui::DescribeScreen();
    window_ = session_.Window();
  }
  // Chosen from the window menu, as the user would.
  HWND Open() {
    PostMessageA(window_, WM_SYSCOMMAND, kBargainHistoryCommand, 0);
    return ui::WaitForWindow(kCaption);
  }
  // The dialog opened with item 1001's Alert Me Again chosen while the test holds the turn:
  // its removal waits.
  HWND OpenWithARemovalWaiting() {
    const HWND dialog = Open();
    if (!dialog) return nullptr;
    ui::SelectRow(dialog, kHistoryList, 3);
    ui::Click(dialog, kHistoryAlertAgain);
    return WaitUntil([&] { return ui::Text(dialog, kHistoryStatus) == kWaiting; }) ? dialog : nullptr;
  }
  static bool Answers(HWND window) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) != 0;
  }
};

}  // namespace

TEST_F(BargainHistory, ListsTheAlertsNewestFirstTheFilterNarrowsThemAndARowOpensItsItemsPage) {
  StandInBrowser browser;
  Start();
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  EXPECT_FALSE(IsWindowEnabled(window_));

  const Rows rows = ui::ListRows(dialog, kHistoryList);
  EXPECT_EQ(ItemsAndAnswers(rows),
            (Rows{"1002 View Later", "777 View Never", "4455 View Now", "1001 View Never", "555 Unanswered"}));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "01/02/26 17:45:30\tbrass compass\t1002\tPocket compass with lid\t31.00\t42m\t25.00\tView Later");
  // The long texts end at their columns with an ellipsis (U+2026, which the driver narrows to
  // its low byte '&'); the columns after them keep their places.
  const std::vector<std::string> cut = SplitColumns(rows[4]);
  ASSERT_EQ(cut.size(), 8u) << rows[4];
  for (const auto& [shown, whole] : {std::make_pair(cut[1], std::string(kLongSearch)),
                                     std::make_pair(cut[3], std::string(kLongDescription))}) {
    ASSERT_GT(shown.size(), 10u);
    EXPECT_LT(shown.size(), whole.size());
    EXPECT_EQ(shown.back(), '&') << shown;
    EXPECT_EQ(whole.compare(0, shown.size() - 1, shown, 0, shown.size() - 1), 0) << shown;
  }
  EXPECT_EQ(cut[4] + "|" + cut[5] + "|" + cut[6] + "|" + cut[7], "88.00|2d 5h 17m|25.00|Unanswered");
  EXPECT_EQ(ui::Text(dialog, kHistoryStatus), "");

  // Every change of the filter narrows the rows to those whose search or description holds it,
  // whatever the case.
  ui::SetText(dialog, kHistoryFilter, "compass");
  EXPECT_EQ(ItemsAndAnswers(ui::ListRows(dialog, kHistoryList)), (Rows{"1002 View Later", "777 View Never", "1001 View Never"}));
  ui::SetText(dialog, kHistoryFilter, "SLIDE R");
  EXPECT_EQ(ItemsAndAnswers(ui::ListRows(dialog, kHistoryList)), (Rows{"4455 View Now"}));
  ui::SetText(dialog, kHistoryFilter, "1001");
  EXPECT_EQ(ui::ListRows(dialog, kHistoryList), Rows{}) << "the item's number is not searched";
  ui::SetText(dialog, kHistoryFilter, "");
  EXPECT_EQ(ui::ListRows(dialog, kHistoryList).size(), 5u);

  // Rows of other answers than View Never have nothing to lift.
  ui::SelectRow(dialog, kHistoryList, 0);
  EXPECT_EQ(ui::Text(dialog, kHistoryBlock), "");
  EXPECT_FALSE(ui::IsEnabled(dialog, kHistoryAlertAgain));

  // A double click on a row, or Enter on the list through the dialog's keyboard handling,
  // opens the item's page and keeps the dialog.
  ui::DoubleClickRow(dialog, kHistoryList, 1);
  std::vector<std::string> opened = browser.Opened(1);
  ASSERT_EQ(opened.size(), 1u) << ui::DescribeScreen();
  EXPECT_EQ(opened[0], "http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=777");
  ui::SelectRow(dialog, kHistoryList, 3);
  PostMessageA(GetDlgItem(dialog, kHistoryList), WM_KEYDOWN, VK_RETURN, 0);
  opened = browser.Opened(2);
  ASSERT_EQ(opened.size(), 2u) << ui::DescribeScreen();
  EXPECT_EQ(opened[1], "http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=1001");
  EXPECT_NE(ui::FindTopWindow(kCaption), nullptr);

  ui::Click(dialog, IDCANCEL);
  EXPECT_TRUE(ui::WaitForWindowGone(kCaption));
  EXPECT_TRUE(IsWindowEnabled(window_));
  EXPECT_TRUE(session_.Close());
}

TEST_F(BargainHistory, AlertMeAgainLiftsEveryEntryOfTheItemAndKeepsEveryOtherByte) {
  // The poller's pass, with the item blocked: a bargain, logged without its alert.
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  session_.WriteList("\"brass compass\" http://127.0.0.1:9/x 0 1 30 25\r\n");
  WriteFileBytes(session_.FolderFile("page.html"), kCompassPage);
  const std::string poller = ProgramPath("lotwise.exe");
  WriteFileBytes(session_.FolderFile(kBlockFileName), BlockedList());
  ASSERT_EQ(RunProgram(poller, "-t page.html", session_.Folder()), 0);
  EXPECT_FALSE(AlertedFor1001(ReadFileBytes(session_.FolderFile("lotwise.txt"))));
  // As it was before the pass pruned it.
  WriteFileBytes(session_.FolderFile(kBlockFileName), BlockedList());

  Start();
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();

  // A View Never row whose item is no longer blocked, then the one that still is: its newest
  // entry, a day old, blocks it for nine more days.
  ui::SelectRow(dialog, kHistoryList, 1);
  EXPECT_EQ(ui::Text(dialog, kHistoryBlock), "Not blocked any more");
  EXPECT_FALSE(ui::IsEnabled(dialog, kHistoryAlertAgain));
  ui::SelectRow(dialog, kHistoryList, 3);
  const std::time_t until = static_cast<std::time_t>(now_ - 86400 + kBlockRetentionSeconds);
  char expected[32];
  std::strftime(expected, sizeof expected, "Blocked until %m/%d/%y", std::localtime(&until));
  EXPECT_EQ(ui::Text(dialog, kHistoryBlock), expected);
  ASSERT_TRUE(ui::IsEnabled(dialog, kHistoryAlertAgain));
  CreateDirectoryA("screens", nullptr);
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot("screens\\bargain_history.bmp"));

  ui::Click(dialog, kHistoryAlertAgain);
  EXPECT_TRUE(WaitUntil([&] { return ui::Text(dialog, kHistoryStatus) == kLifted; })) << ui::Text(dialog, kHistoryStatus);
  EXPECT_EQ(BlockedFile(), BlockedListWithout1001());
  EXPECT_FALSE(FileExists(session_.FolderFile(kBlockTempFileName)));
  EXPECT_EQ(ui::Text(dialog, kHistoryBlock), "Not blocked any more");
  EXPECT_FALSE(ui::IsEnabled(dialog, kHistoryAlertAgain));
  EXPECT_EQ(ReadFileBytes(session_.FolderFile(kAlertHistoryName)), History()) << "the history keeps its line";
  ui::Click(dialog, IDCANCEL);
  EXPECT_TRUE(session_.Close());

  // The next pass alerts the item again.
  ASSERT_EQ(RunProgram(poller, "-t page.html", session_.Folder()), 0);
  EXPECT_TRUE(AlertedFor1001(ReadFileBytes(session_.FolderFile("lotwise.txt"))))
      << ReadFileBytes(session_.FolderFile("lotwise.txt"));
}

TEST_F(BargainHistory, TheRemovalWaitsForThePassTurnWithoutFreezingTheWindow) {
  WriteFileBytes(session_.FolderFile(kBlockFileName), BlockedList());
  // A pass holds the turn, as while its alert waits for an answer.
  UniqueHandle turn(CreateMutexA(nullptr, TRUE, kPassGuardName));
  ASSERT_TRUE(turn);
  Start();
  const HWND dialog = OpenWithARemovalWaiting();
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  EXPECT_FALSE(ui::IsEnabled(dialog, kHistoryAlertAgain));

  // The windows answer at once, and the rows stay usable, while the list waits untouched.
  EXPECT_TRUE(Answers(dialog));
  EXPECT_TRUE(Answers(window_));
  ui::SetText(dialog, kHistoryFilter, "globe");
  EXPECT_EQ(ItemsAndAnswers(ui::ListRows(dialog, kHistoryList)), (Rows{"777 View Never"}));
  ui::SetText(dialog, kHistoryFilter, "");
  Sleep(500);
  EXPECT_TRUE(Answers(dialog));
  EXPECT_EQ(BlockedFile(), BlockedList());
  EXPECT_EQ(ui::Text(dialog, kHistoryStatus), kWaiting);

  // The pass gives the turn back: the removal goes ahead.
  ReleaseMutex(turn.Get());
  EXPECT_TRUE(WaitUntil([&] { return ui::Text(dialog, kHistoryStatus) == kLifted; })) << ui::Text(dialog, kHistoryStatus);
  EXPECT_EQ(BlockedFile(), BlockedListWithout1001());
  ui::Click(dialog, IDCANCEL);
  EXPECT_TRUE(session_.Close());
}

TEST_F(BargainHistory, ClosingWhileTheRemovalWaitsCallsItOffAndSaysSo) {
  WriteFileBytes(session_.FolderFile(kBlockFileName), BlockedList());
  UniqueHandle turn(CreateMutexA(nullptr, TRUE, kPassGuardName));
  ASSERT_TRUE(turn);
  Start();

  // Closing the dialog.
  HWND dialog = OpenWithARemovalWaiting();
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  ui::PostClick(dialog, IDCANCEL);
  // A window that hangs in its close would hang every later look at it: the test ends then.
  Sleep(300);
  ASSERT_TRUE(Answers(window_)) << "the window hangs as the dialog closes";
  ui::MessageBoxSeen box = ui::AnswerMessageBox(kBoxCaption, IDOK);
  EXPECT_EQ(box.text, kCalledOff) << box.Describe() << ui::DescribeScreen();
  ASSERT_TRUE(ui::WaitForWindowGone(kCaption));

  // Closing the manager while the dialog is open.
  dialog = OpenWithARemovalWaiting();
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  ui::PostClick(window_, IDOK);
  Sleep(300);
  ASSERT_TRUE(Answers(window_)) << "the window hangs as it closes";
  box = ui::AnswerMessageBox(kBoxCaption, IDOK);
  EXPECT_EQ(box.text, kCalledOff) << box.Describe() << ui::DescribeScreen();
  DWORD code = 1;
  EXPECT_TRUE(session_.Process().Wait(10000, &code));
  EXPECT_EQ(code, 0u);

  // Given back now, the turn finds no removal left: the list is as it was.
  ReleaseMutex(turn.Get());
  Sleep(500);
  EXPECT_EQ(BlockedFile(), BlockedList());
}
