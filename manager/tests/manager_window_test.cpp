// LotwiseMgr.exe under Wine: the main window, its pages, the folder setting, the poller
// launchers, the about item, search health, and screenshots of the three pages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/poller_instance.h"
#include "common/settings_store.h"
#include "manager/manager_ids.h"
#include "manager/tests/manager_session.h"
#include "manager/tests/window_menu_trim.h"
#include "platform/unique_handle.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/screen_capture.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

const char kTwoSearches[] =
    "\"Nikon F3 body\"\thttp://search.rure.com/x?a=1\t1\t2\t30\t12\r\n"
    "\"Old search\" http://search.rure.com/y 0 0 30 25.50\r\n";

const char kOnePass[] =
    "Lotwise Version 2.8\r\n"
    "Last Search: 12/06/04 14:05:09\r\n"
    "DESCRIPTION:brass compass TRIGGERMINUTES:90 TRIGGERPRICE:25.00\r\n"
    "RURE LOTWISE ALERT: TargetMinutes:90 CurrentMinutes:42 TargetPrice:25.00 CurrentPrice:19.50 --\r\n"
    "ID:371          Descript:Antique brass ship compass                         Bids:3    Price:19.50    "
    "Days:0        Hours:0        Minutes:42      \r\n"
    "ID:372          Descript:Brass pocket compass with lid                      Bids:0    Price:31.00    "
    "Days:2        Hours:5        Minutes:17      \r\n"
    "Closed temphtml.html\r\n"
    "Closed lotwise2.ini\r\n";

std::vector<std::string> WaitForLaunches(const ManagerSession& session, size_t lines) {
  std::vector<std::string> seen;
  WaitUntil([&] {
    seen = SplitLines(ReadFileBytes(session.FolderFile("launch.txt")));
    return seen.size() >= lines;
  });
  return seen;
}

// A result page's address on the auction site, for the search editor's picture.
const char kPictureAddress[] = "http://search.rure.com/search/search.dll?query=pocket+watch";

// The demo's searches as the guide's pictures show them, with addresses of the auction site.
const char kDemoSearches[] =
    "\"Pocket watches\"\thttp://search.rure.com/search/search.dll?query=pocket+watch\t0\t3\t0\t25\r\n"
    "\"Film cameras\"\thttp://search.rure.com/search/search.dll?query=film+camera\t0\t3\t0\t25\r\n"
    "\"Fountain pens\" http://search.rure.com/search/search.dll?query=fountain+pen 0 3 0 25.00\r\n"
    "\"Typewriters\" http://search.rure.com/search/search.dll?query=typewriter 0 0 30 10\r\n";

// Which controls each page shows; the others are hidden, Done and the tabs always shown.
const std::vector<int> kPageControls[3] = {
    {kSearchList, kSearchLabelDescription, kSearchLabelPrice, kSearchLabelDays, kSearchLabelHours,
     kSearchLabelMinutes, kAddSearch, kDeleteSearch, kModifySearch, kSearchNow},
    {kResultsList, kResultsLabelId, kResultsLabelDescription, kResultsLabelBids, kResultsLabelPrice,
     kResultsLabelDays, kResultsLabelHours, kResultsLabelMinutes, kLastSearchedLabel, kLastSearchedDate,
     kRefreshResults},
    {kReconfigure},
};

}  // namespace

TEST(ManagerWindow, OpensWithItsTitleTabsAndTheListsOfTheFolder) {
  ManagerSession session("opens");
  session.WriteList(kTwoSearches);
  session.WriteLog(kOnePass);
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  HWND window = session.Window();

  EXPECT_EQ(ui::WindowText(window), "Lotwise Manager V2.3");
  EXPECT_EQ(SendMessageA(GetDlgItem(window, kPageTabs), TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(session.CurrentTab(), 0);
  EXPECT_EQ(ui::Text(window, IDOK), "Done");
  EXPECT_EQ(ui::ListRows(window, kSearchList),
            (std::vector<std::string>{"Nikon F3 body\t12.00\t1\t2\t30", "Old search\t25.50\t0\t0\t30"}));
  EXPECT_EQ(ui::ListRows(window, kResultsList).size(), 2u);
  EXPECT_EQ(ui::Text(window, kLastSearchedDate), "12/06/04 14:05:09");
  EXPECT_TRUE(session.Close());
}

TEST(ManagerWindow, EachTabShowsItsPageAndHidesTheOthers) {
  ManagerSession session("tabs");
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  HWND window = session.Window();
  for (int page : {0, 1, 2, 0, 2, 1}) {
    SCOPED_TRACE("page " + std::to_string(page));
    if (session.CurrentTab() != page) session.ShowTab(page);
    EXPECT_EQ(session.CurrentTab(), page);
    for (int shown = 0; shown < 3; ++shown)
      for (int id : kPageControls[shown]) EXPECT_EQ(ui::IsVisible(window, id), shown == page) << "control " << id;
    for (int id : {IDOK, static_cast<int>(kPageTabs)}) EXPECT_TRUE(ui::IsVisible(window, id)) << "control " << id;
  }
  EXPECT_TRUE(session.Close());
}

TEST(ManagerWindow, SearchNowAndReConfigureStartThePollerInTheFolder) {
  ManagerSession session("launch");
  ASSERT_TRUE(session.StartBesideStandInPoller()) << ui::DescribeScreen();
  HWND window = session.Window();

  ui::Click(window, kSearchNow);
  std::vector<std::string> launches = WaitForLaunches(session, 2);
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[0], "-r");
  EXPECT_EQ(launches[1], session.Folder());
  // The manager never waits for the poller.
  EXPECT_TRUE(ui::IsEnabled(window, kSearchNow));

  session.ShowTab(2);
  ui::Click(window, kReconfigure);
  launches = WaitForLaunches(session, 4);
  ASSERT_EQ(launches.size(), 4u);
  EXPECT_EQ(launches[2], "-s");
  EXPECT_EQ(launches[3], session.Folder());
  EXPECT_TRUE(session.Close());
}

TEST(ManagerWindow, SearchNowRunsThePollerBesideTheManagerNotOnePlantedInTheFolder) {
  ManagerSession session("planted");
  session.WriteList("");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  // Anyone who can write the shared folder could put a program of that name there.
  ASSERT_TRUE(CopyFileA(ProgramPath("stand_in_poller.exe").c_str(), session.FolderFile("lotwise.exe").c_str(), FALSE));
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();

  ui::Click(session.Window(), kSearchNow);
  // The real poller's pass, made in the folder: its log there is whole.
  std::string log;
  EXPECT_TRUE(WaitUntil([&] {
    log = ReadFileBytes(session.FolderFile("lotwise.txt"));
    return log.find("Closed ") != std::string::npos;
  })) << log;
  EXPECT_EQ(log.rfind("Lotwise Version 2.8\r\n", 0), 0u) << log;
  EXPECT_FALSE(FileExists(session.FolderFile("launch.txt"))) << "the planted program ran";
  EXPECT_TRUE(session.Close());
}

TEST(ManagerWindow, PathsFollowTheFolderSettingAtEveryLoad) {
  ManagerSession session("paths");
  session.WriteList(kTwoSearches);
  ScratchFolder other("paths-other");
  WriteFileBytes(other.File("lotwise.txt"), kOnePass);
  ASSERT_TRUE(session.StartBesideStandInPoller()) << ui::DescribeScreen();
  HWND window = session.Window();
  EXPECT_TRUE(ui::ListRows(window, kResultsList).empty());
  EXPECT_EQ(ui::Text(window, kLastSearchedDate), "Never");

  // A new folder is used at the next reload, without a restart.
  ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder", other.Path()));
  session.ShowTab(1);
  EXPECT_EQ(ui::ListRows(window, kResultsList).size(), 2u);
  EXPECT_EQ(ui::Text(window, kLastSearchedDate), "12/06/04 14:05:09");

  // Search Now then starts the poller in the new folder.
  session.ShowTab(0);
  ui::Click(window, kSearchNow);
  std::vector<std::string> launches;
  WaitUntil([&] { return (launches = SplitLines(ReadFileBytes(other.File("launch.txt")))).size() >= 2; });
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[1], other.Path());
  EXPECT_TRUE(session.Close());
}

TEST(ManagerWindow, UnusableFolderSettingLeavesTheRootOfTheCurrentDrive) {
  // The manager runs on drive C: of the prefix, so the defaults land at C:\, not in the host's root.
  UnmanagedWindows unmanaged;
  const std::string drive = "C:\\manager-defaults";
  RemoveTree(drive);
  ASSERT_TRUE(CreateDirectoryA(drive.c_str(), nullptr));
  DeleteFileA("C:\\lotwise2.ini");
  WriteFileBytes("C:\\lotwise.txt", kOnePass);

  struct Case {
    const char* name;
    std::string folder;  // empty: no value at all
  } cases[] = {
      {"no value", ""},
      {"value over 256 bytes", std::string(300, 'x')},
      {"value that fits 256 bytes but not the derived paths", "C:\\" + std::string(250, 'y')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedRegistryKey settings(kSettingsKeyPath);
    if (!c.folder.empty()) {
      ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder", c.folder));
    }
    ChildProcess manager;
    ASSERT_TRUE(manager.Start(ProgramPath("LotwiseMgr.exe"), "", drive));
    HWND window = ui::WaitForWindow(kManagerCaption);
    ASSERT_NE(window, nullptr) << ui::DescribeScreen();
    // The pass log at the root was read, and the missing search list was made there, empty.
    EXPECT_EQ(ui::ListRows(window, kResultsList).size(), 2u);
    EXPECT_TRUE(FileExists("C:\\lotwise2.ini"));
    EXPECT_TRUE(ui::ListRows(window, kSearchList).empty());
    ui::Click(window, IDOK);
    EXPECT_TRUE(manager.Wait(10000));
    DeleteFileA("C:\\lotwise2.ini");
  }
  DeleteFileA("C:\\lotwise.txt");
  RemoveTree(drive);
}

TEST(ManagerWindow, SystemMenuOpensTheAboutBox) {
  ManagerSession session("about");
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  PostMessageA(session.Window(), WM_SYSCOMMAND, kAboutCommand, 0);
  HWND about = ui::WaitForWindow("About LotwiseMgr");
  ASSERT_NE(about, nullptr) << ui::DescribeScreen();
  bool versionShown = false;
  for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    versionShown = versionShown || ui::WindowText(child) == "LotwiseMgr Version 2.3";
  EXPECT_TRUE(versionShown);
  // The program icon (its blue) is drawn in the box.
  Sleep(300);
  const Pixels box = CaptureClient(about);
  EXPECT_GT(box.Count(RGB(0x1c, 0x4f, 0x8c), 0, box.height), 100);
  // The main window waits for the about box.
  EXPECT_FALSE(IsWindowEnabled(session.Window()));
  ui::Click(about, IDOK);
  EXPECT_TRUE(ui::WaitForWindowGone("About LotwiseMgr"));
  EXPECT_TRUE(IsWindowEnabled(session.Window()));

  // Minimised and restored, the window still works.
  PostMessageA(session.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(session.Window()) != FALSE; }));
  PostMessageA(session.Window(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(session.Window()) == FALSE; }));
  EXPECT_TRUE(session.Close());
}

namespace {

BOOL CALLBACK CountManagerWindow(HWND window, LPARAM count) {
  if (ui::WindowText(window) == kManagerCaption) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int CountManagerWindows() {
  int count = 0;
  EnumWindows(CountManagerWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

TEST(ManagerWindow, ASecondStartBringsTheFirstWindowBackAndEnds) {
  ManagerSession session("single");
  session.WriteList(kTwoSearches);
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  HWND window = session.Window();
  PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));

  // Started again (another shortcut, a second click): no second window, the first comes back.
  ChildProcess second;
  ASSERT_TRUE(second.Start(ProgramPath("LotwiseMgr.exe"), "", session.CurrentDir()));
  DWORD code = 1;
  EXPECT_TRUE(second.Wait(10000, &code)) << ui::DescribeScreen();
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(CountManagerWindows(), 1);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(window) == FALSE; }));
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_TRUE(session.Close());

  // Once the first has ended, the next start opens its window again.
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  EXPECT_EQ(ui::ListRows(session.Window(), kSearchList).size(), 2u);
  EXPECT_TRUE(session.Close());
}

namespace {

// Hooks the trimming library into the window's thread and has it take Wine's "About Wine" item
// out of the window's menu (another process cannot change that menu from outside).
bool TrimWineItemFromWindowMenu(HWND window) {
  HMODULE library = LoadLibraryA(ProgramPath(kWindowMenuTrimLibrary).c_str());
  if (!library) return false;
  const auto hookExport =
      reinterpret_cast<HOOKPROC (*)()>(reinterpret_cast<void*>(GetProcAddress(library, kWindowMenuTrimHookExport)));
  HHOOK hook = hookExport ? SetWindowsHookExA(WH_CALLWNDPROC, hookExport(), library,
                                              GetWindowThreadProcessId(window, nullptr))
                          : nullptr;
  DWORD_PTR ignored = 0;
  if (hook) {
    SendMessageTimeoutA(window, RegisterWindowMessageA(kTrimWindowMenuMessage), 0, 0, SMTO_NORMAL, 10000, &ignored);
    UnhookWindowsHookEx(hook);
  }
  FreeLibrary(library);
  return GetPropA(window, kWindowMenuTrimmedProperty) != nullptr;
}

}  // namespace

TEST(ManagerWindow, ScreenshotsOfTheThreePagesAfterAPassOverTheDemoSearches) {
  // The guide follows one story: the demo's searches on the sample pages, the pass that Search
  // Now makes over them, and (in the poller's tests) the alert for the first pocket watch.
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ManagerSession session("shots");
  const std::string pages = site.Address("/pages");
  session.WriteList("\"Pocket watches\"\t" + pages + "/raw_pocket_watches.html?q=pocket+watch\t0\t3\t0\t25\r\n" +
                    "\"Film cameras\"\t" + pages + "/escaped_film_cameras.html?q=film+camera\t0\t3\t0\t25\r\n" +
                    "\"Fountain pens\" " + pages + "/raw_long_line_pens.html?q=fountain+pen 0 3 0 25.00\r\n" +
                    "\"Typewriters\" " + pages + "/raw_no_items.html?q=typewriter 0 0 30 10\r\n");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
  // The mark of a running continuous poller: the pictures show a user whose searches are watched.
  UniqueHandle watching(CreateMutexA(nullptr, FALSE, kPollerMutexName));
  ASSERT_TRUE(watching);
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  ui::Click(session.Window(), kSearchNow);
  std::string log;
  ASSERT_TRUE(WaitUntil(
      [&] {
        log = ReadFileBytes(session.FolderFile("lotwise.txt"));
        return log.find("Closed lotwise2.ini") != std::string::npos;
      },
      30000))
      << log;
  // The line right of the banner takes the pass's time at its next check.
  EXPECT_TRUE(WaitUntil([&] {
    return ui::Text(session.Window(), kWatchingLine).rfind("Lotwise is watching. Last pass ", 0) == 0;
  })) << ui::Text(session.Window(), kWatchingLine);

  CreateDirectoryA("screens", nullptr);
  const char* names[] = {"screens\\page0_search_list.bmp", "screens\\page1_search_results.bmp",
                         "screens\\page2_miscellaneous.bmp"};
  for (int page = 0; page < 3; ++page) {
    session.ShowTab(page);
    Sleep(500);  // let the page paint
    EXPECT_TRUE(SaveScreenshot(names[page])) << names[page];
  }
  // The pass: 22 items, the three bargains of each of the first two pages and two pens in red.
  EXPECT_EQ(ui::ListRows(session.Window(), kResultsList).size(), 22u);
  // The search editor, open for a change of the first search over the Search List page.
  session.ShowTab(0);
  ui::DoubleClickRow(session.Window(), kSearchList, 0);
  HWND editor = session.WaitForEditor();
  ASSERT_NE(editor, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(ui::Text(editor, kEditorDescription), "Pocket watches");
  // The picture shows an address of the auction site, as a user would paste it; the editor is
  // cancelled, so the list keeps the local site's address.
  ui::SetText(editor, kEditorUrl, kPictureAddress);
  Sleep(500);
  EXPECT_TRUE(SaveScreenshot("screens\\search_editor.bmp"));
  ui::Click(editor, IDCANCEL);
  EXPECT_TRUE(session.Close());
}

TEST(ManagerWindow, WarnedSearchesAreNoticedAtOpeningAndListedFirstInSearchHealth) {
  // Days after the demo's pass: the film cameras have stopped finding items, and the pens' site
  // has moved to https, which the poller's redirect cannot follow.
  ManagerSession session("health");
  session.WriteList(kDemoSearches);
  std::string log = kOnePass;
  log.replace(log.find("12/06/04 14:05:09"), 17, "12/08/26 16:30:00");  // the latest pass
  session.WriteLog(log);
  UniqueHandle watching(CreateMutexA(nullptr, FALSE, kPollerMutexName));
  ASSERT_TRUE(watching);
  const std::string site = "http://search.rure.com/search/search.dll?query=";
  WriteFileBytes(session.FolderFile("searchhealth.txt"),
                 "Pocket watches\t" + site + "pocket+watch\titems 8\t40\t12/08/26 16:30:00\t0\r\n" +
                     "Film cameras\t" + site + "film+camera\tnone\t3\t12/08/26 15:00:00\t1\r\n" +
                     "Fountain pens\t" + site + "fountain+pen\tfailed redirect\t5\t12/08/26 14:00:00\t1\r\n" +
                     "Typewriters\t" + site + "typewriter\tnone\t40\tnever\t0\r\n");
  ASSERT_TRUE(session.Start()) << ui::DescribeScreen();
  HWND window = session.Window();

  EXPECT_EQ(ui::Text(window, kWatchingLine), "Lotwise is watching. Last pass 12/08/26 16:30:00.");

  // At opening, on the Search List page only.
  EXPECT_TRUE(ui::IsVisible(window, kHealthNotice));
  EXPECT_EQ(ui::Text(window, kHealthNotice),
            "2 searches need checking: click here or choose Search health\x85 in the window menu.");
  CreateDirectoryA("screens", nullptr);
  Sleep(500);
  EXPECT_TRUE(SaveScreenshot("screens\\health_notice.bmp"));
  session.ShowTab(1);
  EXPECT_FALSE(ui::IsVisible(window, kHealthNotice));
  session.ShowTab(0);
  EXPECT_TRUE(ui::IsVisible(window, kHealthNotice));

  // The window menu, open with its item next to About chosen (its text is another process's
  // menu: seen in the picture), and the item's command opens the dialog. Wine's own item, which
  // Windows does not have, is taken out of the menu first.
  EXPECT_TRUE(TrimWineItemFromWindowMenu(window));
  PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
  HWND menu = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) != nullptr && IsWindowVisible(menu); }))
      << ui::DescribeScreen();
  PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);  // from the first item round to the last
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot("screens\\health_window_menu.bmp"));
  PostMessageA(window, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(FindWindowA("#32768", nullptr)); })) << ui::DescribeScreen();
  PostMessageA(window, WM_SYSCOMMAND, kSearchHealthCommand, 0);
  HWND dialog = ui::WaitForWindow("Search Health");
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(ui::ListRows(dialog, kHealthList),
            (std::vector<std::string>{
                "Film cameras\tStopped finding items\tNo items\t3\t12/08/26 15:00:00",
                "Fountain pens\tKeeps failing\tFailed: redirect\t5\t12/08/26 14:00:00",
                "Pocket watches\t\t8 items\t40\t12/08/26 16:30:00",
                "Typewriters\t\tNo items\t40\tNever",
            }));
  Sleep(500);
  EXPECT_TRUE(SaveScreenshot("screens\\search_health.bmp"));
  EXPECT_FALSE(IsWindowEnabled(window));
  ui::Click(dialog, IDOK);
  EXPECT_TRUE(ui::WaitForWindowGone("Search Health"));

  // A click on the notice opens it too. Once the searches are well, the notice is gone; the
  // searches without a record are not searched yet.
  ui::PostClick(window, kHealthNotice);
  dialog = ui::WaitForWindow("Search Health");
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  WriteFileBytes(session.FolderFile("searchhealth.txt"),
                 "Film cameras\t" + site + "film+camera\titems 1\t1\t12/09/26 08:30:00\t0\r\n");
  ui::Click(dialog, IDOK);
  EXPECT_TRUE(ui::WaitForWindowGone("Search Health"));
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsVisible(window, kHealthNotice); }));
  PostMessageA(window, WM_SYSCOMMAND, kSearchHealthCommand, 0);
  dialog = ui::WaitForWindow("Search Health");
  ASSERT_NE(dialog, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(ui::ListRows(dialog, kHealthList),
            (std::vector<std::string>{
                "Pocket watches\tNot searched yet",
                "Film cameras\t\t1 item\t1\t12/09/26 08:30:00",
                "Fountain pens\tNot searched yet",
                "Typewriters\tNot searched yet",
            }));
  ui::Click(dialog, IDOK);
  EXPECT_TRUE(ui::WaitForWindowGone("Search Health"));
  EXPECT_TRUE(session.Close());
}
