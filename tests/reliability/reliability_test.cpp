// The programs under concurrent use and file faults, under Wine: a continuous poller and
// one-pass runs beside hundreds of search list rewrites, a locked or full disk's files, a
// blocked list that cannot be rewritten, and rewrites cut off by a killed process.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "manager/manager_ids.h"
#include "manager/tests/manager_session.h"
#include "poller/dialogs/alert_ids.h"
#include "poller/engine/instance_control.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/compass_page.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {


// kCompassPage: item 1001 (19.50, 42 minutes left) is a bargain for every search below; 1002 is not.

const char kThreeSearches[] =
    "\"one\" http://127.0.0.1:9/1 0 1 0 25\r\n\"two\" http://127.0.0.1:9/2 0 1 0 25\r\n"
    "\"three\" http://127.0.0.1:9/3 0 1 0 25\r\n";

// Every complete line of a pass log is one the readers know, the header comes first and only
// once: two passes writing into one log at the same time would break one of these.
std::string PassLogFault(const std::string& log) {
  static const std::regex kBody[] = {
      std::regex(R"(DESCRIPTION:.+ TRIGGERMINUTES:-?\d+ TRIGGERPRICE:\d+\.\d\d)"),
      std::regex(R"(RURE LOTWISE ALERT: TargetMinutes:-?\d+ CurrentMinutes:-?\d+ TargetPrice:\d+\.\d\d CurrentPrice:\d+\.\d\d --)"),
      std::regex(R"(ID:\d+ +Descript:.+Bids:\d+ +Price:\d+\.\d\d +Days:\d+ +Hours:\d+ +Minutes:\d+ *)"),
      std::regex("no blockfile"), std::regex("Testing file=page\\.html"), std::regex("Closed temphtml\\.html"), std::regex("Closed lotwise2\\.ini"),
  };
  const std::vector<std::string> lines = CompleteLines(log);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    bool known = false;
    if (i == 0) known = line == "Lotwise Version 2.8";
    else if (i == 1) known = std::regex_match(line, std::regex(R"(Last Search: \d\d/\d\d/\d\d \d\d:\d\d:\d\d)"));
    else
      for (const std::regex& form : kBody) known = known || std::regex_match(line, form);
    if (!known) return "line " + std::to_string(i + 1) + ": " + line;
  }
  return "";
}

std::string BlockEntry(const char* id) { return std::string(id) + " " + std::to_string(std::time(nullptr)) + "\r\n"; }

class Reliability : public ::testing::Test {
 protected:
  ScopedRegistryKey settings_{kSettingsKeyPath};
  ScratchFolder folder_{"reliability"};
  std::string poller_ = ProgramPath("lotwise.exe");
  std::string churn_ = ProgramPath("search_list_churn.exe");

  void SetUp() override {
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
    WriteFileBytes(folder_.File("page.html"), kCompassPage);
  }
  void TearDown() override { RunProgram(poller_, "-k", folder_.Path()); }

  std::string File(const char* name) const { return folder_.File(name); }
  long Churn(const std::string& arguments, const std::string& dir, DWORD timeoutMs = 30000) {
    return RunProgram(churn_, arguments, dir, timeoutMs);
  }
};

// Holds a file open as another program would; share is the sharing it grants.
class HeldFile {
 public:
  HeldFile(const std::string& path, DWORD share)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {
    if (handle_.Get() == INVALID_HANDLE_VALUE) handle_.Release();
  }
  bool IsOpen() const { return handle_.Get() != nullptr; }
  void Release() { handle_.Reset(); }

 private:
  UniqueHandle handle_;
};

}  // namespace

TEST_F(Reliability, PollerAndOnePassRunsBesideHundredsOfRewritesLoseNothing) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/compass.html", kCompassPage));
  const std::string url = site.Address("/compass.html");
  std::string list;
  for (int i = 1; i <= 5; ++i) list += "\"search " + std::to_string(i) + "\" " + url + " 0 1 0 25\r\n";
  WriteFileBytes(File("lotwise2.ini"), list);
  // Item 1001 is blocked: every lookup by either process prunes and rewrites this file.
  const std::string blocked = BlockEntry("1001");
  WriteFileBytes(File("blockedauctions.ini"), blocked);
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "0");

  ChildProcess poller;
  ASSERT_TRUE(poller.Start(poller_, "", folder_.Path()));
  ChildProcess churn;
  ASSERT_TRUE(churn.Start(churn_, "lotwise2.ini 500 " + url, folder_.Path()));

  // While the list is rewritten, one-pass runs take turns with the poller's passes; the log
  // read at any moment holds only well-formed lines, and 1001 is never alerted.
  int onePasses = 0;
  int samples = 0;
  for (int i = 0; i < 1200 && churn.IsRunning(); ++i) {
    if (i % 10 == 0) {
      EXPECT_EQ(RunProgram(poller_, "-r", folder_.Path(), 60000), 0);
      ++onePasses;
    }
    const std::string log = ReadFileBytes(File("lotwise.txt"));
    ++samples;
    const std::string fault = PassLogFault(log);
    ASSERT_EQ(fault, "") << log;
    EXPECT_EQ(log.find("CurrentPrice:19.50"), std::string::npos) << log;
    Sleep(50);
  }
  DWORD churnCode = 1;
  ASSERT_TRUE(churn.Wait(120000, &churnCode)) << "the rewrites did not end";
  EXPECT_EQ(churnCode, 0u) << "rewrites that reported a failure";
  EXPECT_GE(onePasses, 1);

  ASSERT_TRUE(poller.IsRunning()) << ui::DescribeScreen();
  EXPECT_EQ(RunProgram(poller_, "-k", folder_.Path()), 0) << ui::DescribeScreen();
  DWORD code = 1;
  ASSERT_TRUE(poller.Wait(15000, &code)) << ui::DescribeScreen();
  EXPECT_EQ(code, 0u);

  // Every stored search intact, no stray copy, the block kept, the passes made.
  EXPECT_EQ(ReadFileBytes(File("lotwise2.ini")), list);
  EXPECT_EQ(ReadFileBytes(File("lotwise2.ini") + "tmp"), list);  // the last delete's copy
  EXPECT_EQ(ReadFileBytes(File("blockedauctions.ini")), blocked);
  const std::string log = ReadFileBytes(File("lotwise.txt"));
  EXPECT_EQ(PassLogFault(log), "") << log;
  const std::vector<fixture_site::Request> fetched = site.TakeRequests();
  EXPECT_GE(fetched.size(), 10u);
  std::printf("stress: 1500 rewrites beside the poller, %d one-pass runs, %d log samples, %d pages fetched\n",
              onePasses, samples, static_cast<int>(fetched.size()));
}

TEST_F(Reliability, ALockedSearchListFailsTheRewriteAndThePassVisiblyAndLosesNothing) {
  WriteFileBytes(File("lotwise2.ini"), kThreeSearches);
  {
    // Held with no sharing: neither a rewrite nor a pass can get at it.
    HeldFile held(File("lotwise2.ini"), 0);
    ASSERT_TRUE(held.IsOpen());
    for (const char* op : {"add", "change", "delete"})
      EXPECT_EQ(Churn(std::string("lotwise2.ini ") + op, folder_.Path()), 1) << op;

    ChildProcess pass;
    ASSERT_TRUE(pass.Start(poller_, "-r", folder_.Path()));
    const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
    EXPECT_EQ(box.text, "The file lotwise2.ini was not opened\n") << ui::DescribeScreen();
    DWORD code = 0;
    ASSERT_TRUE(pass.Wait(15000, &code));
    EXPECT_EQ(code, 0xFFFFFFFFu);
  }
  EXPECT_EQ(ReadFileBytes(File("lotwise2.ini")), kThreeSearches);
  EXPECT_FALSE(FileExists(File("lotwise2.initmp")));

  // A reader that lets others read (the poller reading the list) only delays a rewrite.
  HeldFile reader(File("lotwise2.ini"), FILE_SHARE_READ);
  ASSERT_TRUE(reader.IsOpen());
  ChildProcess change;
  ASSERT_TRUE(change.Start(churn_, "lotwise2.ini change", folder_.Path()));
  Sleep(300);
  reader.Release();
  DWORD code = 1;
  ASSERT_TRUE(change.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_NE(ReadFileBytes(File("lotwise2.ini")).find("\"changed 2\" http://127.0.0.1:9/churn?round=2"),
            std::string::npos);
}

TEST_F(Reliability, ABlockedListThatCannotBeRewrittenStillAnswersAndKeepsItsEntries) {
  WriteFileBytes(File("lotwise2.ini"), "\"compass\" http://127.0.0.1:9/x 0 1 0 25\r\n");
  // One current entry and one eleven days old, which the lookup would prune.
  const std::string blocked = BlockEntry("1001") + "1002 " + std::to_string(std::time(nullptr) - 11 * 86400) + "\r\n";
  WriteFileBytes(File("blockedauctions.ini"), blocked);
  {
    // Readable, but neither deleted nor renamed over while held.
    HeldFile held(File("blockedauctions.ini"), FILE_SHARE_READ);
    ASSERT_TRUE(held.IsOpen());
    EXPECT_EQ(RunProgram(poller_, "-t page.html", folder_.Path()), 0);
  }
  const std::string log = ReadFileBytes(File("lotwise.txt"));
  EXPECT_EQ(PassLogFault(log), "") << log;
  EXPECT_EQ(log.find("RURE LOTWISE ALERT"), std::string::npos) << log;  // 1001 still blocked
  EXPECT_NE(log.find("Closed lotwise2.ini"), std::string::npos) << log;
  EXPECT_EQ(ReadFileBytes(File("blockedauctions.ini")), blocked);
  EXPECT_FALSE(FileExists(File("blockedauctions.txt")));
}

TEST_F(Reliability, AFullDiskFailsRewritesAndLeavesEveryStoredFileWhole) {
  // Folder "full" (made by the build): the temporary copy, the pass log and the blocked list's
  // pruned copy all lead to a device on which every write fails for want of space.
  const std::string full = "full";
  WriteFileBytes(full + "\\lotwise2.ini", kThreeSearches);
  WriteFileBytes(full + "\\page.html", kCompassPage);
  const std::string blocked = BlockEntry("1001");
  WriteFileBytes(full + "\\blockedauctions.ini", blocked);

  for (const char* op : {"add", "change", "delete"}) EXPECT_EQ(Churn(std::string("lotwise2.ini ") + op, full), 1) << op;
  EXPECT_EQ(ReadFileBytes(full + "\\lotwise2.ini"), kThreeSearches);

  // The pass goes on to its end with a log that cannot be written, and the lookup answers;
  // then the user is told that the log is missing.
  ChildProcess pass;
  ASSERT_TRUE(pass.Start(poller_, "-t page.html", full));
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
  EXPECT_EQ(box.text, "The file lotwise.txt could not be written.") << ui::DescribeScreen();
  DWORD code = 1;
  ASSERT_TRUE(pass.Wait(15000, &code)) << ui::DescribeScreen();
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadFileBytes(full + "\\blockedauctions.ini"), blocked);
  EXPECT_EQ(ReadFileBytes(full + "\\lotwise2.ini"), kThreeSearches);
}

TEST_F(Reliability, ARewriteKilledAtAnyStepLeavesAWholeListThatTheManagerStartsWith) {
  UnmanagedWindows unmanaged;
  const std::string added = std::string(kThreeSearches) + "\"added 1\"\thttp://127.0.0.1:9/churn?round=1\t0\t0\t1\t1.50\r\n";
  const std::string changed =
      "\"one\" http://127.0.0.1:9/1 0 1 0 25\r\n\"two\" http://127.0.0.1:9/2 0 1 0 25\r\n"
      "\"changed 2\" http://127.0.0.1:9/churn?round=2 0 0 2 2.50\r\n";
  const std::string deleted = "\"one\" http://127.0.0.1:9/1 0 1 0 25\r\n\"two\" http://127.0.0.1:9/2 0 1 0 25\r\n";
  const struct {
    const char* op;
    const char* step;
    std::string killedLeaves;  // the list on disk right after the kill
    std::string managerShows;  // the list after the manager's start
  } cases[] = {
      {"add", "copy", kThreeSearches, kThreeSearches},  // an add killed before its replace step is not made
      {"add", "replaced", added, added},
      {"change", "copy", kThreeSearches, kThreeSearches},
      {"change", "replaced", changed, changed},
      {"delete", "copy", kThreeSearches, kThreeSearches},
      {"delete", "replaced", deleted, deleted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.op) + " killed after step " + c.step);
    ManagerSession manager("killed");
    manager.WriteList(kThreeSearches);
    EXPECT_EQ(Churn(std::string("lotwise2.ini ") + c.op + " " + c.step, manager.Folder()), 9);
    EXPECT_EQ(manager.ListBytes(), c.killedLeaves);
    ASSERT_TRUE(manager.Start()) << ui::DescribeScreen();
    EXPECT_EQ(manager.ListBytes(), c.managerShows);
    EXPECT_EQ(ui::ListRows(manager.Window(), kSearchList).size(), CompleteLines(c.managerShows).size());
    ASSERT_TRUE(manager.Close());
  }

  // A leftover copy is never installed: not one that extends the list by a line cut short
  // (a price of 150 cut to 15), which would read as a valid search with a wrong field...
  ManagerSession manager("leftover");
  manager.WriteList(kThreeSearches);
  const std::string cutCopy = std::string(kThreeSearches) + "\"four\" http://127.0.0.1:9/4 0 1 0 15";
  WriteFileBytes(manager.FolderFile("lotwise2.initmp"), cutCopy);
  ASSERT_TRUE(manager.Start()) << ui::DescribeScreen();
  EXPECT_EQ(manager.ListBytes(), kThreeSearches);
  EXPECT_EQ(ui::ListRows(manager.Window(), kSearchList).size(), 3u);
  ASSERT_TRUE(manager.Close());

  // ...nor a delete's copy beside a list that the user removed: the old list is converted.
  DeleteFileA(manager.FolderFile("lotwise2.ini").c_str());
  WriteFileBytes(manager.FolderFile("lotwise.ini"), "\"Old search\" http://127.0.0.1:9/old 30 25.5\r\n");
  ASSERT_TRUE(manager.Start()) << ui::DescribeScreen();
  EXPECT_EQ(manager.ListBytes(), "\"Old search\" http://127.0.0.1:9/old 0 0 30 25.50\r\n");
  EXPECT_EQ(ui::ListRows(manager.Window(), kSearchList).size(), 1u);
  ASSERT_TRUE(manager.Close());
}

TEST_F(Reliability, TheManagerSaysWhenItsListCannotBeReadOrWritten) {
  UnmanagedWindows unmanaged;
  ManagerSession manager("faults");
  manager.WriteList(kThreeSearches);
  {
    // Locked by another program at the start: the user is told, and the list is not rebuilt
    // from the old one over the searches it holds.
    HeldFile held(manager.FolderFile("lotwise2.ini"), 0);
    ASSERT_TRUE(held.IsOpen());
    ASSERT_TRUE(manager.Process().Start(ProgramPath("LotwiseMgr.exe"), "", manager.CurrentDir()));
    const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
    EXPECT_EQ(box.text, "The search list " + manager.FolderFile("lotwise2.ini") + " could not be read.")
        << ui::DescribeScreen();
    ASSERT_EQ(box.buttons.size(), 1u) << box.Describe();
    HWND window = ui::WaitForWindow(kManagerCaption);
    ASSERT_NE(window, nullptr) << ui::DescribeScreen();
    EXPECT_TRUE(ui::ListRows(window, kSearchList).empty());
    ui::PostClick(window, IDOK);
    ASSERT_TRUE(manager.Process().Wait(10000));
  }
  EXPECT_EQ(manager.ListBytes(), kThreeSearches);

  // A read-only list cannot be replaced: the delete fails visibly and changes nothing.
  ASSERT_TRUE(SetFileAttributesA(manager.FolderFile("lotwise2.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(manager.Start()) << ui::DescribeScreen();
  ui::SelectRow(manager.Window(), kSearchList, 1);
  ui::PostClick(manager.Window(), kDeleteSearch);
  EXPECT_NE(ui::AnswerMessageBox("Delete", IDYES).window, nullptr);
  const ui::MessageBoxSeen failed = ui::AnswerMessageBox("Error", IDOK, 15000);
  EXPECT_EQ(failed.text, "The search list " + manager.FolderFile("lotwise2.ini") + " could not be written.")
      << ui::DescribeScreen();
  SetFileAttributesA(manager.FolderFile("lotwise2.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(manager.ListBytes(), kThreeSearches);
  EXPECT_FALSE(FileExists(manager.FolderFile("lotwise2.initmp")));
  ASSERT_TRUE(manager.Close());
}

TEST_F(Reliability, AnOldListThatCannotBeReadIsNotConvertedToAnEmptyList) {
  UnmanagedWindows unmanaged;
  ManagerSession manager("unreadable-old");
  const std::string oldList = manager.FolderFile("lotwise.ini");
  WriteFileBytes(oldList, "\"Old search\" http://127.0.0.1:9/old 30 25.5\r\n");
  const auto startWithOldListHeld = [&] {
    HeldFile held(oldList, 0);
    ASSERT_TRUE(held.IsOpen());
    ASSERT_TRUE(manager.Process().Start(ProgramPath("LotwiseMgr.exe"), "", manager.CurrentDir()));
    const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
    EXPECT_EQ(box.text,
              "The old search list lotwise.ini could not be read. Close any program that uses it and open Lotwise "
              "Manager again.")
        << ui::DescribeScreen();
    ASSERT_NE(ui::WaitForWindow(kManagerCaption), nullptr) << ui::DescribeScreen();
  };

  // Held by another program: nothing is written, the list shows empty.
  startWithOldListHeld();
  HWND window = ui::WaitForWindow(kManagerCaption);
  EXPECT_TRUE(ui::ListRows(window, kSearchList).empty());
  EXPECT_FALSE(FileExists(manager.FolderFile("lotwise2.ini")));
  ui::PostClick(window, IDOK);
  ASSERT_TRUE(manager.Process().Wait(10000));

  // Released: the next start converts it.
  ASSERT_TRUE(manager.Start()) << ui::DescribeScreen();
  EXPECT_EQ(manager.ListBytes(), "\"Old search\" http://127.0.0.1:9/old 0 0 30 25.50\r\n");
  ASSERT_TRUE(manager.Close());

  // A search added while the old list could not be read starts the new list; from then on the
  // old list is not converted.
  DeleteFileA(manager.FolderFile("lotwise2.ini").c_str());
  startWithOldListHeld();
  window = ui::WaitForWindow(kManagerCaption);
  ui::Click(window, kAddSearch);
  HWND editor = ui::WaitForWindow(kEditorCaption);
  ASSERT_NE(editor, nullptr) << ui::DescribeScreen();
  const struct {
    int id;
    const char* text;
  } fields[] = {{kEditorDescription, "Globe"}, {kEditorUrl, "http://127.0.0.1:9/globe"}, {kEditorPrice, "40"},
                {kEditorDays, "0"}, {kEditorHours, "0"}, {kEditorMinutes, "9"}};
  for (const auto& field : fields) ui::SetText(editor, field.id, field.text);
  ui::PostClick(editor, IDOK);
  ASSERT_TRUE(ui::WaitForWindowGone(kEditorCaption));
  ui::PostClick(window, IDOK);
  ASSERT_TRUE(manager.Process().Wait(10000));
  const std::string added = "\"Globe\"\thttp://127.0.0.1:9/globe\t0\t0\t9\t40\r\n";
  EXPECT_EQ(manager.ListBytes(), added);
  ASSERT_TRUE(manager.Start()) << ui::DescribeScreen();
  EXPECT_EQ(manager.ListBytes(), added);
  EXPECT_EQ(ui::ListRows(manager.Window(), kSearchList).size(), 1u);
  ASSERT_TRUE(manager.Close());
}

TEST_F(Reliability, AWorkingPageThatCannotBeReplacedIsNeverReadAsAnotherSearchsPage) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/empty.html", "<html><body>No items</body></html>\n"));
  WriteFileBytes(File("lotwise2.ini"), "\"nothing here\" " + site.Address("/empty.html") + " 0 1 0 25\r\n");
  // An old page with a bargain, held open by another program: it can be neither removed nor
  // overwritten, so no download can take its place.
  WriteFileBytes(File("temphtml.html"), kCompassPage);
  HeldFile held(File("temphtml.html"), FILE_SHARE_READ);
  ASSERT_TRUE(held.IsOpen());
  EXPECT_EQ(RunProgram(poller_, "-r", folder_.Path(), 60000), 0);
  const std::string log = ReadFileBytes(File("lotwise.txt"));
  EXPECT_EQ(PassLogFault(log), "") << log;
  EXPECT_EQ(log.find("ID:1001"), std::string::npos) << log;
  EXPECT_EQ(log.find("RURE LOTWISE ALERT"), std::string::npos) << log;
  EXPECT_NE(log.find("Closed lotwise2.ini"), std::string::npos) << log;
}

TEST_F(Reliability, AViewNeverThatCannotBeWrittenIsToldBeforeTheRunEnds) {
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "1");
  WriteFileBytes(File("lotwise2.ini"), "\"compass\" http://127.0.0.1:9/x 0 1 0 25\r\n");
  WriteFileBytes(File("blockedauctions.ini"), "");
  HeldFile held(File("blockedauctions.ini"), 0);
  ASSERT_TRUE(held.IsOpen());
  ChildProcess pass;
  ASSERT_TRUE(pass.Start(poller_, "-t page.html", folder_.Path()));
  HWND alert = ui::WaitForWindow("Lotwise Alert V2.8");
  ASSERT_NE(alert, nullptr) << ui::DescribeScreen();
  ui::Click(alert, kAlertViewNever);
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
  EXPECT_EQ(box.text, "The file blockedauctions.ini could not be written.\nItems you chose never to see again may be shown again.")
      << ui::DescribeScreen();
  DWORD code = 1;
  ASSERT_TRUE(pass.Wait(15000, &code)) << ui::DescribeScreen();
  EXPECT_EQ(code, 0u);
  held.Release();
  EXPECT_EQ(ReadFileBytes(File("blockedauctions.ini")), "");
}

TEST_F(Reliability, APollerKilledInThePassHoldsUpNoLaterPass) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/compass.html", kCompassPage));
  WriteFileBytes(File("lotwise2.ini"), "\"compass\" " + site.Address("/compass.html") + " 0 1 0 25\r\n");
  WriteFileBytes(File("blockedauctions.ini"), BlockEntry("1001"));
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "0");
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(poller_, "", folder_.Path()));
  // Killed while its passes follow each other: most likely inside one, holding the pass mutex.
  for (int i = 0; i < 100 && site.TakeRequests().size() < 3; ++i) Sleep(100);
  ASSERT_TRUE(poller.IsRunning());
  poller.Terminate();  // waits for the end
  // The mutex is abandoned, not held: a one-pass run makes its pass at once.
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunProgram(poller_, "-r", folder_.Path(), 30000), 0);
  EXPECT_LT(GetTickCount() - start, 15000u);
  const std::string log = ReadFileBytes(File("lotwise.txt"));
  EXPECT_EQ(PassLogFault(log), "") << log;
  EXPECT_NE(log.find("Closed lotwise2.ini"), std::string::npos) << log;
  EXPECT_EQ(log.find("RURE LOTWISE ALERT"), std::string::npos) << log;
}

TEST_F(Reliability, AStopEndsAPollerInItsPassAndTheOnePassRunQueuedBehindIt) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/compass.html", kCompassPage));
  // The page takes six seconds to arrive, so the poller is still in its pass when the stop comes.
  WriteFileBytes(File("lotwise2.ini"),
                 "\"compass\" " + site.Address("/_/slow?file=compass.html&pieces=20&pause=300") + " 0 1 0 25\r\n");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
  site.TakeRequests();
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(poller_, "", folder_.Path()));
  for (int i = 0; i < 100 && site.TakeRequests().empty(); ++i) Sleep(100);
  // A Search Now waits for the poller's pass to give back its turn.
  ChildProcess queued;
  ASSERT_TRUE(queued.Start(poller_, "-r", folder_.Path()));
  HANDLE mark = nullptr;
  for (int i = 0; i < 100 && !(mark = OpenMutexA(SYNCHRONIZE, FALSE, kPassMutexName)); ++i) Sleep(100);
  ASSERT_NE(mark, nullptr);
  CloseHandle(mark);
  Sleep(500);
  ASSERT_TRUE(poller.IsRunning());
  ASSERT_TRUE(queued.IsRunning());

  // The queued run sees the stop first; the poller must see it too, after its search.
  EXPECT_EQ(RunProgram(poller_, "-k", folder_.Path(), kPollerStopWaitMs + 30000), 0);
  DWORD code = 1;
  EXPECT_TRUE(queued.Wait(2000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(poller.Wait(2000, &code)) << "the poller in its pass ran on\n" << ReadFileBytes(File("lotwise.txt"));
  EXPECT_EQ(code, 0u);

  // Neither is left: a second stop finds no poller and ends at once.
  HANDLE run = OpenEventA(SYNCHRONIZE, FALSE, kRunEventName);
  EXPECT_EQ(run, nullptr);
  if (run) CloseHandle(run);
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunProgram(poller_, "-k", folder_.Path()), 0);
  EXPECT_LT(GetTickCount() - start, 5000u);
}
