// LotwiseMgr.exe under Wine: the line right of the banner that says whether Lotwise is watching
// (the continuous poller's mutex "Lotwise"), the last pass's time from the pass log, and the
// Start watching button that starts the real poller in the shared folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "common/pass_log.h"
#include "common/settings_store.h"
#include "manager/manager_ids.h"
#include "manager/tests/manager_session.h"
#include "platform/unique_handle.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

// The line is checked every 3 s; Wine on a busy machine gets some slack on top.
constexpr DWORD kWithinACheckMs = 6000;
// Longer than one check: long enough for a reread that should not happen to show.
constexpr DWORD kMoreThanACheckMs = 4000;

constexpr char kNotWatching[] = "Lotwise is not watching.";

std::tm When(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

// The start of a pass, as the poller's own writers put it in the log.
void WritePassStart(const std::string& path, const std::tm& passTime) {
  ASSERT_TRUE(WriteFileWith(path, [&passTime](std::FILE* log) {
    WriteVersionLine(log);
    WriteLastSearchLine(log, passTime);
  }));
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes);
  return attributes.ftLastWriteTime;
}

bool SetWriteTime(const std::string& path, const FILETIME& time) {
  UniqueHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  return file && SetFileTime(file.Get(), nullptr, nullptr, &time);
}

class WatchingLine : public ::testing::Test {
 protected:
  ManagerSession session_{"watching"};
  HWND window_ = nullptr;

  void Start() {
    ASSERT_TRUE(session_.Start()) << ui::DescribeScreen();
    window_ = session_.Window();
  }
  std::string Line() const { return ui::Text(window_, kWatchingLine); }
  bool WaitForLine(const std::string& line, DWORD timeoutMs = kWithinACheckMs) const {
    return WaitUntil([&] { return Line() == line; }, timeoutMs);
  }
};

}  // namespace

TEST_F(WatchingLine, FollowsThePollersMarkAndTheLastPassOfTheLog) {
  const std::string log = session_.FolderFile("lotwise.txt");
  WritePassStart(log, When(2026, 12, 6, 14, 5, 9));
  // What a running continuous poller holds.
  UniqueHandle mark(CreateMutexA(nullptr, FALSE, "Lotwise"));
  ASSERT_TRUE(mark);
  Start();

  // At opening, at once.
  EXPECT_EQ(Line(), "Lotwise is watching. Last pass 12/06/26 14:05:09.");
  EXPECT_FALSE(ui::IsVisible(window_, kStartWatching));

  // The next pass rewrites the log: its time shows within a check.
  WritePassStart(log, When(2026, 12, 6, 14, 35, 9));
  EXPECT_TRUE(WaitForLine("Lotwise is watching. Last pass 12/06/26 14:35:09.")) << Line();

  // The log is read again only when its write time (or size) changes: a rewrite of the same
  // size that keeps the write time is not seen...
  const FILETIME written = WriteTime(log);
  WritePassStart(log, When(2026, 12, 6, 15, 5, 9));
  ASSERT_TRUE(SetWriteTime(log, written));
  Sleep(kMoreThanACheckMs);
  EXPECT_EQ(Line(), "Lotwise is watching. Last pass 12/06/26 14:35:09.");
  // ...until the time moves.
  FILETIME later = written;
  later.dwHighDateTime += 1;
  ASSERT_TRUE(SetWriteTime(log, later));
  EXPECT_TRUE(WaitForLine("Lotwise is watching. Last pass 12/06/26 15:05:09.")) << Line();

  // A new pass whose log has no time yet: the last one known stands.
  ASSERT_TRUE(WriteFileWith(log, [](std::FILE* f) { WriteVersionLine(f); }));
  Sleep(kMoreThanACheckMs);
  EXPECT_EQ(Line(), "Lotwise is watching. Last pass 12/06/26 15:05:09.");

  // The poller ends: its mark goes, and the button comes back.
  mark.Reset();
  EXPECT_TRUE(WaitForLine(kNotWatching)) << Line();
  EXPECT_TRUE(ui::IsVisible(window_, kStartWatching));
  EXPECT_TRUE(session_.Close());
}

TEST_F(WatchingLine, WithoutAPollerSaysNotWatchingAndStartWatchingStartsOneInTheFolder) {
  // A log of an earlier pass: its time belongs to a poller that has ended.
  WritePassStart(session_.FolderFile("lotwise.txt"), When(2026, 12, 6, 14, 5, 9));
  // An empty list and a long interval: the poller makes one short pass and waits.
  session_.WriteList("");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  const std::string poller = ProgramPath("lotwise.exe");
  // A test that fails halfway leaves no poller behind for the next one.
  struct StopAtEnd {
    std::string poller;
    ~StopAtEnd() { RunProgram(poller, "-k"); }
  } stopAtEnd{poller};
  Start();
  ASSERT_EQ(Line(), kNotWatching);
  EXPECT_EQ(ui::Text(window_, kStartWatching), "Start watching");
  EXPECT_TRUE(ui::IsEnabled(window_, kStartWatching));
  // Outside the tabs: every page shows it.
  for (int page : {1, 2, 0}) {
    SCOPED_TRACE("page " + std::to_string(page));
    session_.ShowTab(page);
    EXPECT_TRUE(ui::IsVisible(window_, kWatchingLine));
    EXPECT_TRUE(ui::IsVisible(window_, kStartWatching));
  }

  ui::Click(window_, kStartWatching);
  // A second click cannot start a second poller while the first one is on its way.
  EXPECT_FALSE(ui::IsEnabled(window_, kStartWatching));
  // The poller beside the manager, in the folder that "Folder" names: its pass log is there.
  std::string log;
  const bool inFolder = WaitUntil([&] {
    log = ReadFileBytes(session_.FolderFile("lotwise.txt"));
    return log.find("Closed lotwise2.ini") != std::string::npos;
  });
  EXPECT_FALSE(FileExists(session_.CurrentDir() + "\\lotwise.txt"));
  ASSERT_TRUE(inFolder) << ui::DescribeScreen();
  // A continuous poller: it holds its mark, and the line names the time of its pass.
  HANDLE mark = OpenMutexA(SYNCHRONIZE, FALSE, "Lotwise");
  EXPECT_NE(mark, nullptr) << "no continuous poller runs";
  if (mark) CloseHandle(mark);
  const size_t timeAt = log.find("Last Search: ") + std::string("Last Search: ").size();
  const std::string passTime = log.substr(timeAt, log.find_first_of("\r\n", timeAt) - timeAt);
  EXPECT_TRUE(WaitForLine("Lotwise is watching. Last pass " + passTime + ".")) << Line();
  EXPECT_FALSE(ui::IsVisible(window_, kStartWatching));

  // Stopped from outside: the line follows.
  EXPECT_EQ(RunProgram(poller, "-k", session_.Folder()), 0);
  EXPECT_TRUE(WaitForLine(kNotWatching)) << Line();
  EXPECT_TRUE(ui::IsVisible(window_, kStartWatching));
  EXPECT_TRUE(ui::IsEnabled(window_, kStartWatching));
  EXPECT_TRUE(session_.Close());
}
