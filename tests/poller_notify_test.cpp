// The continuous poller's notification-area icon under Wine, through the poller's own window
// (found by its class): the tooltip mirrored in the window's text across a pass, the messages
// the shell sends for the icon, the menu's commands, and "TaskbarCreated".
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "poller/dialogs/alert_ids.h"
#include "poller/engine/notify_ids.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/compass_page.h"
#include "tests/support/icon_probe.h"
#include "tests/support/screen_capture.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

// This user's own settings, beside the machine's settings key.
constexpr char kUserKey[] = "Software\\Rure Lotwise";

bool DeleteIcon(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kNotifyIconId;
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

HWND FindNotifyWindow() { return FindWindowA(kNotifyWindowClass, nullptr); }

HWND WaitForNotifyWindow(DWORD timeoutMs = 10000) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindNotifyWindow()) != nullptr; }, timeoutMs);
  return window;
}

std::string LogText(const ScratchFolder& folder) { return ReadFileBytes(folder.File("lotwise.txt")); }

bool PassClosed(const ScratchFolder& folder) {
  return LogText(folder).find("Closed lotwise2.ini") != std::string::npos;
}

class PollerNotify : public ::testing::Test {
 protected:
  ScopedRegistryKey settings_{kSettingsKeyPath};
  ScratchFolder folder_{"notify"};
  std::string poller_ = ProgramPath("lotwise.exe");
  ChildProcess poller_process_;

  void SetUp() override {
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder", folder_.Path());
    WriteList("");
    DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
  }
  void TearDown() override {
    RunProgram(poller_, "-k", folder_.Path());
    poller_process_.Wait(15000);
    DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
  }

  void WriteList(const std::string& text) { WriteFileBytes(folder_.File("lotwise2.ini"), text); }

  // Starts the continuous poller and waits for its window.
  HWND StartPoller() {
    EXPECT_TRUE(poller_process_.Start(poller_, "", folder_.Path()));
    const HWND window = WaitForNotifyWindow();
    EXPECT_NE(window, nullptr) << ui::DescribeScreen();
    return window;
  }
  // Starts it and waits until its first pass is over.
  HWND StartPollerAfterItsFirstPass() {
    const HWND window = StartPoller();
    EXPECT_TRUE(WaitUntil([&] { return PassClosed(folder_); }, 30000)) << LogText(folder_);
    return window;
  }
};

// What the shell sends for the icon (version 4): the event in the low word of lParam, the
// icon's id in its high word, the point in wParam. Posted: a menu's own loop would keep a sent
// message, and the test, waiting.
void PostIconEvent(HWND window, UINT event, int x = 0, int y = 0) {
  PostMessageA(window, kNotifyCallbackMessage, MAKEWPARAM(x, y), MAKELPARAM(event, kNotifyIconId));
}

// A visible pop-up menu of the given process.
HWND FindMenuOf(DWORD processId) {
  HWND menu = nullptr;
  while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(menu, &owner);
    if (owner == processId && IsWindowVisible(menu)) return menu;
  }
  return nullptr;
}

constexpr char kManagerTitle[] = "Lotwise Manager V2.3";

// The manager window that the poller opened: found, then closed with Done.
bool ManagerOpenedAndClosed() {
  const HWND manager = ui::WaitForWindow(kManagerTitle, 20000);
  if (!manager) return false;
  ui::Click(manager, IDOK);
  return ui::WaitForWindowGone(kManagerTitle, 10000);
}

// The balloon with this text that the shell shows now, or null. Wine draws a balloon as a
// tooltip window whose text is the balloon's text (its title is drawn apart).
HWND BalloonShown(const std::string& text) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, "tooltips_class32", nullptr)) != nullptr) {
    if (IsWindowVisible(window) && ui::WindowText(window) == text) return window;
  }
  return nullptr;
}

bool BalloonAppears(const std::string& text) {
  return WaitUntil([&] { return BalloonShown(text) != nullptr; }, 15000);
}

// Where Wine shows the icon under Xvfb, which has no notification area: a small window of its
// own at the top left of the screen ("Wine System Tray"), the icon a child window in it.
HWND TrayWindow() { return FindWindowA("__winex11_standalone_tray", nullptr); }
HWND TrayIconWindow() {
  const HWND tray = TrayWindow();
  return tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
}

// A plain light ground under the guide's pictures of the icon, in place of Xvfb's black root.
class Backdrop {
 public:
  Backdrop() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = brush_;
    windowClass.lpszClassName = "LotwiseGuideBackdrop";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "LotwiseGuideBackdrop", "", WS_POPUP, 0, 0, 640, 400,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(window_);
    // A tray window that is there already stays above it.
    if (const HWND tray = TrayWindow())
      SetWindowPos(tray, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ~Backdrop() {
    DestroyWindow(window_);
    // The class holds the brush: the next backdrop registers it anew with its own.
    UnregisterClassA("LotwiseGuideBackdrop", GetModuleHandleA(nullptr));
    DeleteObject(brush_);
  }

 private:
  HBRUSH brush_ = CreateSolidBrush(RGB(232, 232, 232));
  HWND window_ = nullptr;
};

// A screenshot for the user's guide (tools/screenshots.sh), with the rectangle it is cropped
// to: the given windows together and a margin, below the tray window's caption (Windows has
// none), as ImageMagick's geometry "WxH+X+Y".
bool SaveGuideShot(const std::string& name, const std::vector<HWND>& windows) {
  CreateDirectoryA("screens", nullptr);
  const std::string path = "screens\\" + name;
  if (!SaveScreenshot(path + ".bmp")) return false;
  // Taken after the picture: a window that was still settling (a balloon sizes itself as it
  // shows) is measured as the picture shows it.
  RECT area{};
  for (HWND window : windows) {
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect)) return false;
    if (IsRectEmpty(&area))
      area = rect;
    else
      UnionRect(&area, &area, &rect);
  }
  constexpr int kMargin = 12;
  InflateRect(&area, kMargin, kMargin);
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT client{};
  if (GetClientRect(TrayWindow(), &client)) {
    MapWindowPoints(TrayWindow(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    screen.top = client.top;
  }
  IntersectRect(&area, &area, &screen);
  WriteFileBytes(path + ".crop", std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top) +
                                     "+" + std::to_string(area.left) + "+" + std::to_string(area.top) + "\n");
  return true;
}

// Handles what the test's own window is sent (activation crosses threads).
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// A window of the test's own in the foreground, as the user's other work would be.
class OtherWork {
 public:
  OtherWork()
      : window_(CreateWindowExA(0, "STATIC", "Other work", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 300, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {
    SetForegroundWindow(window_);
  }
  ~OtherWork() { DestroyWindow(window_); }
  HWND Window() const { return window_; }

 private:
  HWND window_;
};

// True when upper comes before lower in the Z-order of top-level windows.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND window = GetWindow(upper, GW_HWNDNEXT); window; window = GetWindow(window, GW_HWNDNEXT))
    if (window == lower) return true;
  return false;
}

bool ForegroundBecomes(HWND window) {
  return WaitUntil([&] {
    PumpMessages();
    return GetForegroundWindow() == window;
  });
}

// A start by the shell from a shortcut: the program is told the shortcut's path as its title.
// The test stands in for the shell at logon.
class ShortcutStart {
 public:
  ShortcutStart(const std::string& program, const std::string& shortcut, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_TITLEISLINKNAME;
    std::string title = shortcut;
    startup.lpTitle = &title[0];
    std::string commandLine = "\"" + program + "\"";
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info))
      return;
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
  }
  ~ShortcutStart() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 99);
  }
  // True when it ended within timeoutMs, with its exit code.
  bool Ended(DWORD timeoutMs, DWORD* code) const {
    return process_ && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process_.Get(), code);
  }

 private:
  UniqueHandle process_;
};

std::string ShellFolder(int folder) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// The clock minutes of a "HH:MM" (with an optional "MM/DD " before it).
int Minutes(const std::string& clock) {
  const std::string time = clock.substr(clock.size() - 5);
  return std::stoi(time.substr(0, 2)) * 60 + std::stoi(time.substr(3, 2));
}

}  // namespace

TEST_F(PollerNotify, OnlyTheContinuousPollerHasAnIconItsProgramCarriesThePictureAndTaskbarCreatedAddsItAgain) {
  // The picture Explorer shows for the program.
  EXPECT_GE(ExtractIconExA(poller_.c_str(), -1, nullptr, nullptr, 0), 1u);

  const HWND window = StartPoller();
  ASSERT_NE(window, nullptr);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, poller_process_.Id());
  // The window is there a moment before its icon.
  EXPECT_TRUE(WaitUntil([&] { return IconExists(window); }));
  EXPECT_FALSE(IsWindowVisible(window));
  // Nothing in Wine broadcasts "TaskbarCreated": the test plays the restarted shell. It takes
  // the icon away, as a shell that starts anew has none, and sends the message.
  ASSERT_TRUE(DeleteIcon(window));
  ASSERT_FALSE(IconExists(window));
  SendMessageA(window, RegisterWindowMessageA(kTaskbarCreatedMessageName), 0, 0);
  EXPECT_TRUE(IconExists(window));
  EXPECT_EQ(RunProgram(poller_, "-k", folder_.Path()), 0);
  DWORD code = 1;
  ASSERT_TRUE(poller_process_.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(FindNotifyWindow(), nullptr);

  // A one-pass run held by its alert dialog, and the settings dialog: no icon meanwhile.
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "1");
  WriteFileBytes(folder_.File("page.html"), kCompassPage);
  WriteList("\"brass compass\" http://127.0.0.1:9/x 0 1 30 25\n");
  ChildProcess pass;
  ASSERT_TRUE(pass.Start(poller_, "-t page.html", folder_.Path()));
  HWND alert = ui::WaitForWindow("Lotwise Alert V2.8");
  ASSERT_NE(alert, nullptr) << ui::DescribeScreen();
  ChildProcess settings;
  ASSERT_TRUE(settings.Start(poller_, "-s", folder_.Path()));
  ASSERT_NE(ui::WaitForWindow("Lotwise V2.6"), nullptr) << ui::DescribeScreen();
  EXPECT_EQ(FindNotifyWindow(), nullptr);
  ui::Click(ui::FindTopWindow("Lotwise V2.6"), IDCANCEL);
  ui::Click(alert, IDCANCEL);
  EXPECT_TRUE(pass.Wait(15000)) << ui::DescribeScreen();
  EXPECT_TRUE(settings.Wait(15000)) << ui::DescribeScreen();
}

TEST_F(PollerNotify, TheTooltipShowsAPassInProgressThenTheLastAndTheNextPassAndTheSearchesToCheck) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/notify/compass.html", kCompassPage));
  // A page that trickles in over about three seconds keeps the pass going; a search already
  // warned for failing goes on failing.
  WriteList("\"slow\" " + site.Address("/_/slow?file=notify/compass.html&pieces=6&pause=500") +
            " 0 0 1 1\nnot a search\n\"refused\" http://127.0.0.1:9/x 0 0 1 1\n");
  WriteFileBytes(folder_.File("searchhealth.txt"), "refused\thttp://127.0.0.1:9/x\tfailed connection\t5\tnever\t1\r\n");
  const HWND window = StartPoller();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return ui::WindowText(window) == "Lotwise: watching 2 searches\nPass in progress"; }))
      << ui::WindowText(window);
  EXPECT_FALSE(PassClosed(folder_));

  ASSERT_TRUE(WaitUntil([&] { return PassClosed(folder_); }, 30000)) << LogText(folder_);
  std::smatch match;
  std::string tip;
  const std::regex waiting(
      "Lotwise: watching 2 searches\nLast pass ((?:\\d\\d/\\d\\d )?\\d\\d:\\d\\d), next ((?:\\d\\d/\\d\\d )?\\d\\d:\\d\\d)\n"
      "1 search needs checking");
  ASSERT_TRUE(WaitUntil([&] { return std::regex_match(tip = ui::WindowText(window), match, waiting); })) << tip;
  // The last pass is the log's "Last Search" minute (taken a moment later); the next comes the
  // run interval after the pass ended.
  std::smatch logTime;
  const std::string log = LogText(folder_);
  ASSERT_TRUE(std::regex_search(log, logTime, std::regex("Last Search: \\d\\d/\\d\\d/\\d\\d (\\d\\d:\\d\\d):\\d\\d")));
  const int last = Minutes(match[1]);
  const int logged = Minutes(logTime[1]);
  EXPECT_TRUE(logged == last || logged == (last + 1) % 1440) << tip << "\n" << log;
  const int wait = (Minutes(match[2]) - last + 1440) % 1440;
  EXPECT_TRUE(wait == 30 || wait == 31) << tip;
}

// Every way to the manager while no alert waits: the menu opened by a right click at its
// point, its first item chosen with the keyboard as a user would; a click on the icon or the
// keyboard's selection of it; a click on a balloon; and the menu's command itself.
// The menu's picture for the user's guide is taken here.
TEST_F(PollerNotify, WithNoAlertWaitingTheMenuTheIconAndItsBalloonOpenTheManager) {
  Backdrop backdrop;
  const HWND window = StartPollerAfterItsFirstPass();
  ASSERT_NE(window, nullptr);
  HWND icon = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (icon = TrayIconWindow()) != nullptr && IsWindowVisible(icon); }))
      << ui::DescribeScreen();
  RECT rect{};
  ASSERT_TRUE(GetWindowRect(icon, &rect));
  const POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  PostIconEvent(window, WM_CONTEXTMENU, point.x, point.y);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (menu = FindMenuOf(poller_process_.Id())) != nullptr; })) << ui::DescribeScreen();
  GetWindowRect(menu, &rect);
  EXPECT_EQ(rect.left, point.x);
  EXPECT_EQ(rect.top, point.y);
  EXPECT_TRUE(SaveGuideShot("notify_menu", {icon, menu}));
  PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(ManagerOpenedAndClosed()) << ui::DescribeScreen();
  EXPECT_EQ(FindMenuOf(poller_process_.Id()), nullptr);

  for (UINT event : {static_cast<UINT>(NIN_SELECT), static_cast<UINT>(NIN_KEYSELECT),
                     static_cast<UINT>(NIN_BALLOONUSERCLICK)}) {
    SCOPED_TRACE(event);
    ASSERT_EQ(ui::FindTopWindow(kManagerTitle), nullptr);
    PostIconEvent(window, event);
    EXPECT_TRUE(ManagerOpenedAndClosed()) << ui::DescribeScreen();
  }
  SendMessageA(window, WM_COMMAND, kNotifyOpenManager, 0);
  EXPECT_TRUE(ManagerOpenedAndClosed()) << ui::DescribeScreen();
  EXPECT_TRUE(poller_process_.IsRunning());
}

TEST_F(PollerNotify, SearchNowMakesAOnePassRunAndStopWatchingEndsThePollerAsAStopDoesWhileItWaits) {
  const HWND window = StartPollerAfterItsFirstPass();
  ASSERT_NE(window, nullptr);
  // The log's last line may be on disk a moment before the log is closed.
  ASSERT_TRUE(WaitUntil([&] { return DeleteFileA(folder_.File("lotwise.txt").c_str()) != FALSE; }));
  SendMessageA(window, WM_COMMAND, kNotifySearchNow, 0);
  // With 30 minutes until its own next pass, a new log comes from the one-pass run.
  EXPECT_TRUE(WaitUntil([&] { return PassClosed(folder_); }, 30000)) << ui::DescribeScreen();
  EXPECT_TRUE(poller_process_.IsRunning());

  UniqueHandle run(OpenEventA(SYNCHRONIZE, FALSE, "Lotwise - Run"));
  ASSERT_TRUE(run);
  EXPECT_EQ(WaitForSingleObject(run.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SendMessageA(window, WM_COMMAND, kNotifyStopWatching, 0);
  DWORD code = 1;
  ASSERT_TRUE(poller_process_.Wait(10000, &code)) << "the wait of 30 minutes was not cut short";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(WaitForSingleObject(run.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(FindNotifyWindow(), nullptr);
}

TEST_F(PollerNotify, StopWatchingEndsThePollerWhileItWaitsForItsTurn) {
  // Another pass holds the turn for as long as the test likes.
  UniqueHandle turn(CreateMutexA(nullptr, TRUE, "Lotwise Pass"));
  ASSERT_TRUE(turn);
  const HWND window = StartPoller();
  ASSERT_NE(window, nullptr);
  Sleep(500);
  EXPECT_FALSE(FileExists(folder_.File("lotwise.txt")));
  SendMessageA(window, WM_COMMAND, kNotifyStopWatching, 0);
  DWORD code = 1;
  EXPECT_TRUE(poller_process_.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(FileExists(folder_.File("lotwise.txt")));
  ReleaseMutex(turn.Get());
}

TEST_F(PollerNotify, StopWatchingDuringAPassEndsItAfterTheSearch) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/notify/compass.html", kCompassPage));
  WriteList("\"slow\" " + site.Address("/_/slow?file=notify/compass.html&pieces=6&pause=500") + " 0 0 1 1\n\"second\" " +
            site.Address("/notify/compass.html") + " 0 0 1 1\n");
  const HWND window = StartPoller();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return LogText(folder_).find("DESCRIPTION:slow") != std::string::npos; }));
  SendMessageA(window, WM_COMMAND, kNotifyStopWatching, 0);
  DWORD code = 1;
  ASSERT_TRUE(poller_process_.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  const std::string log = LogText(folder_);
  EXPECT_NE(log.find("Closed temphtml.html"), std::string::npos) << log;
  EXPECT_EQ(log.find("DESCRIPTION:second"), std::string::npos) << log;
  EXPECT_EQ(log.find("Closed lotwise2.ini"), std::string::npos) << log;
}

// With pop-ups on, each alert dialog has its balloon; the icon or the balloon chosen brings
// the dialog to the front. The balloon's picture for the user's guide is taken here too:
// Wine hands the balloon's flags to its tooltip as the title's icon, so the poller's
// NIIF_INFO | NIIF_NOSOUND draws no icon there, and its tooltip, sized for a title without
// one, cuts the last line short. The picture shows the same balloon again with NIIF_INFO
// alone, which Windows draws as the poller's (the sound flag changes nothing on screen). A
// title wider than the text is cut short too, so the item's description is the longer line.
TEST_F(PollerNotify, SelectingTheIconOrItsBalloonBringsTheWaitingAlertToTheFront) {
  Backdrop backdrop;
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  std::string page = kCompassPage;
  const std::string description = "Brass ship compass in a mahogany box";
  page.replace(page.find("Brass ship compass"), 18, description);
  ASSERT_TRUE(site.Put("/notify/compass.html", page));
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "1");
  WriteList("\"brass compass\" " + site.Address("/notify/compass.html") + " 0 1 30 25\n");
  const HWND window = StartPoller();
  ASSERT_NE(window, nullptr);
  const HWND alert = ui::WaitForWindow("Lotwise Alert V2.8", 30000);
  ASSERT_NE(alert, nullptr) << ui::DescribeScreen();
  const std::string text = description + "\nPrice: 19.50";
  ASSERT_TRUE(BalloonAppears(text)) << ui::DescribeScreen();

  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kNotifyIconId;
  data.uFlags = NIF_INFO;
  lstrcpynW(data.szInfoTitle, L"Lotwise bargain", ARRAYSIZE(data.szInfoTitle));
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, data.szInfo, ARRAYSIZE(data.szInfo));
  data.dwInfoFlags = NIIF_INFO;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &data));
  // The shell hides the balloon that it shows and brings the new one about 2 s later.
  ASSERT_TRUE(WaitUntil([&] { return BalloonShown(text) == nullptr; })) << ui::DescribeScreen();
  ASSERT_TRUE(BalloonAppears(text)) << ui::DescribeScreen();
  Sleep(500);
  EXPECT_TRUE(SaveGuideShot("notify_balloon", {TrayIconWindow(), BalloonShown(text)}));

  for (UINT event : {static_cast<UINT>(NIN_SELECT), static_cast<UINT>(NIN_BALLOONUSERCLICK)}) {
    SCOPED_TRACE(event);
    OtherWork other;
    ASSERT_TRUE(ForegroundBecomes(other.Window())) << ui::DescribeScreen();
    PostIconEvent(window, event);
    EXPECT_TRUE(ForegroundBecomes(alert)) << ui::DescribeScreen();
    EXPECT_TRUE(IsAbove(alert, other.Window())) << ui::DescribeScreen();
  }
  EXPECT_EQ(ui::FindTopWindow(kManagerTitle), nullptr);
  ui::Click(alert, IDCANCEL);
  EXPECT_TRUE(ui::WaitForWindowGone("Lotwise Alert V2.8"));
}

// With pop-ups off no dialog waits: a pass that found bargains says so in one balloon.
TEST_F(PollerNotify, WithPopUpsOffAPassWithBargainsShowsOneBalloon) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  ASSERT_TRUE(site.Put("/notify/compass.html", kCompassPage));
  // Both items of the page are bargains for the first search, none for the second.
  WriteList("\"all of them\" " + site.Address("/notify/compass.html") + " 9 0 0 100\n\"none\" " +
            site.Address("/notify/compass.html") + " 0 0 1 1\n");
  const HWND window = StartPollerAfterItsFirstPass();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(BalloonAppears("Brass ship compass\nPrice: 19.50 (and 1 more bargain)\nClick to see them in Lotwise Manager."))
      << ui::DescribeScreen();
  EXPECT_EQ(ui::FindTopWindow("Lotwise Alert V2.8"), nullptr);
}

// Setup's Startup shortcut is every user's; a user who unticks "Start at logon" (kept under
// HKCU) has the poller that it starts for them end at once, without a word. Any other start
// still watches.
TEST_F(PollerNotify, StartAtLogonUntickedForThisUserEndsThePollerThatTheStartupShortcutStarts) {
  const HWND window = StartPollerAfterItsFirstPass();
  ASSERT_NE(window, nullptr);
  // The menu's item turns it off and on again for this user alone.
  SendMessageA(window, WM_COMMAND, kNotifyStartAtLogon, 0);
  RegistryValue value = QueryValue(HKEY_CURRENT_USER, kUserKey, "StartAtLogon");
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.data, std::string("0", 2));
  SendMessageA(window, WM_COMMAND, kNotifyStartAtLogon, 0);
  EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, kUserKey, "StartAtLogon").data, std::string("1", 2));
  EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "StartAtLogon").exists);
  SendMessageA(window, WM_COMMAND, kNotifyStartAtLogon, 0);
  ASSERT_EQ(RunProgram(poller_, "-k", folder_.Path()), 0);
  ASSERT_TRUE(poller_process_.Wait(15000));
  ASSERT_TRUE(DeleteFileA(folder_.File("lotwise.txt").c_str()));

  const std::string allUsers = ShellFolder(CSIDL_COMMON_STARTUP) + "\\Lotwise.lnk";
  const std::string own = ShellFolder(CSIDL_STARTUP) + "\\Lotwise.lnk";
  for (const std::string& shortcut : {allUsers, own}) {
    SCOPED_TRACE(shortcut);
    ShortcutStart atLogon(poller_, shortcut, folder_.Path());
    DWORD code = 1;
    ASSERT_TRUE(atLogon.Ended(5000, &code)) << ui::DescribeScreen();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(FindNotifyWindow(), nullptr);
    EXPECT_EQ(ui::FindTopWindow("Error"), nullptr);
    EXPECT_FALSE(FileExists(folder_.File("lotwise.txt")));
  }

  // The Start menu's own shortcut starts it, as does a start by hand.
  {
    ShortcutStart fromStartMenu(poller_, ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Lotwise\\Start Lotwise.lnk",
                                folder_.Path());
    EXPECT_NE(WaitForNotifyWindow(), nullptr);
    EXPECT_EQ(RunProgram(poller_, "-k", folder_.Path()), 0);
    DWORD code = 1;
    EXPECT_TRUE(fromStartMenu.Ended(15000, &code));
  }

  // Ticked again, the Startup shortcut starts a poller that watches.
  SetStringValue(HKEY_CURRENT_USER, kUserKey, "StartAtLogon", "1");
  ShortcutStart atLogon(poller_, allUsers, folder_.Path());
  EXPECT_NE(WaitForNotifyWindow(), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return PassClosed(folder_); }, 30000));
  EXPECT_EQ(RunProgram(poller_, "-k", folder_.Path()), 0);
  DWORD code = 1;
  EXPECT_TRUE(atLogon.Ended(15000, &code));
  EXPECT_EQ(code, 0u);
}
