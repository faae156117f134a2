// LotwiseSetup.exe under Wine: a silent install places the programs, the guide, the settings
// value and the shortcuts, and nothing else; the installed manager starts a pass in the
// installed folder; watching starts when setup ends (/RUN, or the last page's first box), on a
// fresh installation too, without a word from the poller; the last page's second box opens the
// manager, which converts an old search list for the next pass; "Stop Lotwise" and "Start
// Lotwise" end and start watching; setup stops a running poller before it copies; a silent
// uninstall stops a running poller and removes what the installer placed and what the programs
// made, the user's data (and virtual copies) only when asked.
#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "manager/manager_ids.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

constexpr char kInstallFolder[] = "C:\\Program Files\\Rure Lotwise";

std::string Installed(const char* name) { return std::string(kInstallFolder) + "\\" + name; }

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// A shortcut's target, arguments and working folder.
struct Shortcut {
  bool read = false;
  std::string target;
  std::string arguments;
  std::string workingFolder;
};

Shortcut ReadShortcut(const std::string& path) {
  Shortcut shortcut;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return shortcut;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring widePath(path.begin(), path.end());
    if (SUCCEEDED(file->Load(widePath.c_str(), STGM_READ))) {
      char text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, 0);
      shortcut.target = text;
      link->GetArguments(text, MAX_PATH);
      shortcut.arguments = text;
      link->GetWorkingDirectory(text, MAX_PATH);
      shortcut.workingFolder = text;
      shortcut.read = true;
    }
    file->Release();
  }
  link->Release();
  return shortcut;
}

bool SameFolder(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string StartMenuShortcut(const char* name) {
  return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Lotwise\\" + name + ".lnk";
}

// Where Windows keeps this user's copies of what their unelevated programs wrote in the
// installation folder. Wine virtualises nothing: tests make the copies as Windows would.
std::string VirtualStore() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\VirtualStore"; }
std::string VirtualFolder() { return VirtualStore() + "\\Program Files\\Rure Lotwise"; }

void MakeVirtualFolder() {
  for (const std::string& folder : {VirtualStore(), VirtualStore() + "\\Program Files", VirtualFolder()})
    CreateDirectoryA(folder.c_str(), nullptr);
}

// The names in a folder, without "." and "..".
std::set<std::string> FolderNames(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// Success when neither the local Users group nor Everyone nor Authenticated Users may change a
// key under HKEY_LOCAL_MACHINE by the access entries that apply to the key itself (inherit-only
// entries apply only to its subkeys). A failure too when the access list cannot be read, and
// when the key has none: a missing list lets everyone do everything.
::testing::AssertionResult OthersCannotChangeKey(const char* key) {
  constexpr ACCESS_MASK kChanges =
      KEY_SET_VALUE | KEY_CREATE_SUB_KEY | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE | GENERIC_ALL;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::string object = std::string("MACHINE\\") + key;
  const DWORD read = GetNamedSecurityInfoA(&object[0], SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                           &acl, nullptr, &descriptor);
  if (read != ERROR_SUCCESS)
    return ::testing::AssertionFailure() << "the access list of " << object << " was not read (error " << read << ")";
  const std::unique_ptr<void, decltype(&LocalFree)> freed(descriptor, LocalFree);
  if (!acl) return ::testing::AssertionFailure() << object << " has no access list: everyone may do everything";

  BYTE sids[3][SECURITY_MAX_SID_SIZE];
  const WELL_KNOWN_SID_TYPE others[3] = {WinBuiltinUsersSid, WinWorldSid, WinAuthenticatedUserSid};
  for (int i = 0; i < 3; ++i) {
    DWORD size = sizeof sids[i];
    if (!CreateWellKnownSid(others[i], nullptr, sids[i], &size))
      return ::testing::AssertionFailure() << "no identifier for the well-known account " << others[i];
  }
  ACCESS_MASK granted = 0;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)))
      return ::testing::AssertionFailure() << "access entry " << i << " of " << object << " was not read";
    if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || (ace->Header.AceFlags & INHERIT_ONLY_ACE)) continue;
    for (BYTE* sid : sids)
      if (EqualSid(&ace->SidStart, sid)) granted |= ace->Mask;
  }
  if (granted & kChanges)
    return ::testing::AssertionFailure() << "other users may change " << object << ": access mask 0x" << std::hex
                                         << granted;
  return ::testing::AssertionSuccess();
}

// A continuous poller holds the mutex "Lotwise" for as long as it runs.
bool PollerRunning() {
  HANDLE mark = OpenMutexA(SYNCHRONIZE, FALSE, "Lotwise");
  if (!mark) return false;
  CloseHandle(mark);
  return true;
}

constexpr DWORD kProgramWaitMs = 20000;
constexpr char kManagerCaption[] = "Lotwise Manager V2.3";

// The ids of the running processes of a program file name ("lotwise.exe").
std::vector<DWORD> ProcessIds(const char* exeName) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName) == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

// The visible top-level windows of a process: a message box of the poller is one.
std::vector<HWND> VisibleWindowsOf(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// True when no running poller shows a window during the whole of the next milliseconds.
// The poller has no window of its own: anything it shows is a message to the user.
bool PollerStaysQuiet(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    for (DWORD id : ProcessIds("lotwise.exe"))
      if (!VisibleWindowsOf(id).empty()) return false;
    Sleep(50);
  } while (GetTickCount() - start < milliseconds);
  return true;
}

// The pass log's lines once a pass has closed the search list (up to kProgramWaitMs).
std::vector<std::string> LoggedPass() {
  WaitUntil([] { return ReadFileBytes(Installed("lotwise.txt")).find("Closed lotwise2.ini") != std::string::npos; },
            kProgramWaitMs);
  return SplitLines(ReadFileBytes(Installed("lotwise.txt")));
}

// An empty pass: the header, the list closed, and no search in between.
bool IsEmptyPass(const std::vector<std::string>& lines) {
  return lines.size() == 3 && lines[0] == "Lotwise Version 2.8" && lines[1].rfind("Last Search: ", 0) == 0 &&
         lines[2] == "Closed lotwise2.ini";
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void EndProcess(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (!process) return;
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

// Closes a manager that the shell started (the test holds no handle of its process).
bool CloseManager() {
  HWND window = ui::FindTopWindow(kManagerCaption);
  if (!window) return true;
  ui::PostClick(window, IDOK);
  return ui::WaitForWindowGone(kManagerCaption);
}

struct ButtonSearch {
  const char* text;
  HWND found;
};

BOOL CALLBACK MatchButton(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ButtonSearch*>(data);
  char className[32] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Button") != 0 || ui::WindowText(child) != search->text) return TRUE;
  search->found = child;
  return FALSE;
}

// A button anywhere inside a window (the wizard's pages are dialogs of their own), by its text.
HWND FindButton(HWND window, const char* text) {
  ButtonSearch search{text, nullptr};
  EnumChildWindows(window, MatchButton, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Opens a shortcut as a click in the Start menu does: through the shell.
bool OpenShortcut(const std::string& path) {
  return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  ScopedRegistryKey settings_{kSettingsKeyPath};
  std::string setup_ = ProgramPath("LotwiseSetup.exe");

  void SetUp() override {
    RemoveTree(kInstallFolder);
    RemoveTree(VirtualFolder());
  }

  void TearDown() override {
    // Never leave an installation, a poller, a manager or the user's copies behind for other
    // tests of this prefix.
    CloseManager();
    if (PollerRunning() && FileExists(Installed("lotwise.exe"))) RunProgram(Installed("lotwise.exe"), "-k");
    // A program held by a message box that a failed test left unanswered.
    for (const char* program : {"lotwise.exe", "LotwiseMgr.exe"})
      for (DWORD id : ProcessIds(program)) EndProcess(id);
    if (FileExists(Installed("uninstall.exe")))
      RunProgram(Installed("uninstall.exe"), "/S /REMOVEDATA _?=" + std::string(kInstallFolder), "", 90000);
    RemoveTree(kInstallFolder);
    RemoveTree(VirtualFolder());
  }
};

}  // namespace

TEST_F(Installer, SilentInstallPlacesEverythingAndTheManagerRunsAPassThere) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);

  // Nothing else is shipped (no permission helper), and nothing opened the key to other users.
  EXPECT_EQ(FolderNames(kInstallFolder), (std::set<std::string>{"lotwise.exe", "LotwiseMgr.exe", "icon1.ico",
                                                                 "cash-register.wav", "uninstall.exe", "guide"}));
  EXPECT_TRUE(OthersCannotChangeKey(kSettingsKeyPath));
  // Without /RUN nothing starts.
  EXPECT_FALSE(PollerRunning());
  // The poller's fixed sound path names the installed file.
  EXPECT_TRUE(FileExists("c:\\program files\\rure lotwise\\cash-register.wav"));
  EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder").data, std::string(kInstallFolder) + '\0');

  const Shortcut manager = ReadShortcut(StartMenuShortcut("Lotwise Manager"));
  ASSERT_TRUE(manager.read);
  EXPECT_TRUE(SameFolder(manager.target, Installed("LotwiseMgr.exe"))) << manager.target;
  const Shortcut stop = ReadShortcut(StartMenuShortcut("Stop Lotwise"));
  ASSERT_TRUE(stop.read);
  EXPECT_TRUE(SameFolder(stop.target, Installed("lotwise.exe"))) << stop.target;
  EXPECT_EQ(stop.arguments, "-k");
  const Shortcut atLogon = ReadShortcut(ShellFolder(CSIDL_COMMON_STARTUP) + "\\Lotwise.lnk");
  ASSERT_TRUE(atLogon.read);
  EXPECT_TRUE(SameFolder(atLogon.target, Installed("lotwise.exe"))) << atLogon.target;
  EXPECT_TRUE(SameFolder(atLogon.workingFolder, kInstallFolder)) << atLogon.workingFolder;
  // "Start Lotwise" starts the poller as the Startup shortcut does.
  const Shortcut start = ReadShortcut(StartMenuShortcut("Start Lotwise"));
  ASSERT_TRUE(start.read);
  EXPECT_TRUE(SameFolder(start.target, Installed("lotwise.exe"))) << start.target;
  EXPECT_EQ(start.arguments, "");
  EXPECT_TRUE(SameFolder(start.workingFolder, kInstallFolder)) << start.workingFolder;

  // The guide: one HTML document, and every picture it shows beside it.
  const Shortcut guide = ReadShortcut(StartMenuShortcut("Lotwise User Guide"));
  ASSERT_TRUE(guide.read);
  EXPECT_TRUE(SameFolder(guide.target, Installed("guide\\user-guide.html"))) << guide.target;
  const std::string page = ReadFileBytes(Installed("guide\\user-guide.html"));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.find("<title>Lotwise user's guide</title>"), std::string::npos);
  EXPECT_NE(page.find("<table>"), std::string::npos) << "the guide's tables are converted";
  const std::regex picture("<img[^>]* src=\"(images/[^\"]+\\.png)\"");
  std::set<std::string> shown;
  for (std::sregex_iterator it(page.begin(), page.end(), picture), end; it != end; ++it) shown.insert((*it)[1]);
  EXPECT_GE(shown.size(), 5u);
  for (const std::string& file : shown) {
    std::string path = "guide\\" + file;
    path[path.find('/')] = '\\';
    EXPECT_EQ(ReadFileBytes(Installed(path.c_str())).rfind("\x89PNG", 0), 0u) << file;
  }

  // A search in the installed folder, served by the fixture site; alerts with the sound on and
  // no dialog, so the pass also plays (or tries) the installed sound file.
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  WriteFileBytes(Installed("lotwise2.ini"),
                 "\"film camera\" " + site.Address("/pages/escaped_film_cameras.html") + " 0 3 0 25\r\n");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "1");

  ChildProcess managerProcess;
  ASSERT_TRUE(managerProcess.Start(Installed("LotwiseMgr.exe"), "", "C:\\"));
  HWND window = ui::WaitForWindow("Lotwise Manager V2.3");
  ASSERT_NE(window, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(ui::ListRows(window, kSearchList).size(), 1u);
  ui::Click(window, kSearchNow);
  std::string log;
  for (int i = 0; i < 300 && log.find("Closed lotwise2.ini") == std::string::npos; ++i) {
    Sleep(100);
    log = ReadFileBytes(Installed("lotwise.txt"));
  }
  ASSERT_NE(log.find("Closed lotwise2.ini"), std::string::npos) << log;
  EXPECT_NE(log.find("RURE LOTWISE ALERT"), std::string::npos) << log;

  // The results page shows the pass: eight items, with its date beside the label.
  SendMessageA(GetDlgItem(window, kPageTabs), TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(ui::ListRows(window, kResultsList).size(), 8u);
  EXPECT_NE(ui::Text(window, kLastSearchedDate), "Never");
  ui::Click(window, IDOK);
  EXPECT_TRUE(managerProcess.Wait(10000));
}

TEST_F(Installer, SilentUninstallStopsThePollerAndRemovesWhatTheProgramsMadeButKeepsTheUsersData) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);
  WriteFileBytes(Installed("lotwise2.ini"), "");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(Installed("lotwise.exe"), "", kInstallFolder));
  for (int i = 0; i < 100 && !FileExists(Installed("lotwise.txt")); ++i) Sleep(100);
  for (int i = 0; i < 100 && !FileExists(Installed("searchhealth.txt")); ++i) Sleep(100);
  // What the programs leave behind; beside a whole blocked list, its copy is a leftover too.
  const char* kMade[] = {"temphtml.html", "temphtml.txt", "version.html",       "searchhealth.txt.tmp",
                         "lotwise2.initmp", "1043398201.url", "blockedauctions.txt", "alerthistory.txt.tmp"};
  for (const char* file : kMade) WriteFileBytes(Installed(file), "x");
  for (const char* file : {"lotwise.ini", "blockedauctions.ini", "alerthistory.txt"}) WriteFileBytes(Installed(file), "x");
  // The user's copies: a pass log and a working page go; the searches and the blocked list stay,
  // and without blockedauctions.ini beside it blockedauctions.txt is that list.
  MakeVirtualFolder();
  for (const char* file : {"lotwise.txt", "temphtml.html", "lotwise2.ini", "blockedauctions.txt"})
    WriteFileBytes(VirtualFolder() + "\\" + file, "x");

  // "_?=" keeps the uninstaller in place, so its end is the end of the work.
  EXPECT_EQ(RunProgram(Installed("uninstall.exe"), "/S _?=" + std::string(kInstallFolder), "", 90000), 0);
  DWORD code = 1;
  EXPECT_TRUE(poller.Wait(10000, &code)) << "the uninstaller stops the running poller";
  EXPECT_EQ(code, 0u);
  for (const char* file :
       {"lotwise.exe", "LotwiseMgr.exe", "icon1.ico", "cash-register.wav", "lotwise.txt", "searchhealth.txt", "guide"})
    EXPECT_FALSE(FileExists(Installed(file))) << file;
  for (const char* file : kMade) EXPECT_FALSE(FileExists(Installed(file))) << file;
  // The uninstaller kept in place by "_?=" cannot remove its own file.
  std::set<std::string> left = FolderNames(kInstallFolder);
  left.erase("uninstall.exe");
  EXPECT_EQ(left, (std::set<std::string>{"lotwise2.ini", "lotwise.ini", "blockedauctions.ini", "alerthistory.txt"}))
      << "the user's data stays";
  EXPECT_EQ(FolderNames(VirtualFolder()), (std::set<std::string>{"lotwise2.ini", "blockedauctions.txt"}));
  EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder").exists);
  for (const char* name : {"Lotwise Manager", "Start Lotwise", "Stop Lotwise", "Lotwise User Guide", "Uninstall Lotwise"})
    EXPECT_FALSE(FileExists(StartMenuShortcut(name))) << name;
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_STARTUP) + "\\Lotwise.lnk"));
}

TEST_F(Installer, FreshSilentInstallWithRunWatchesQuietlyAndTheStartMenuStopsAndStartsIt) {
  // No search list yet, and no old one.
  ASSERT_EQ(RunProgram(setup_, "/S /RUN", "", 120000), 0);

  // A continuous poller, started through the Startup shortcut in the installed folder, makes an
  // empty pass and says nothing. The manager is not opened.
  EXPECT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs)) << ui::DescribeScreen();
  const std::vector<std::string> pass = LoggedPass();
  EXPECT_TRUE(IsEmptyPass(pass)) << Joined(pass);
  EXPECT_TRUE(PollerStaysQuiet(2000)) << ui::DescribeScreen();
  EXPECT_TRUE(PollerRunning());
  EXPECT_EQ(ui::FindTopWindow(kManagerCaption), nullptr);
  EXPECT_TRUE(ProcessIds("LotwiseMgr.exe").empty());

  ASSERT_TRUE(OpenShortcut(StartMenuShortcut("Stop Lotwise")));
  EXPECT_TRUE(WaitUntil([] { return !PollerRunning(); }, kProgramWaitMs)) << "Stop Lotwise stops the poller";
  ASSERT_TRUE(OpenShortcut(StartMenuShortcut("Start Lotwise")));
  EXPECT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs)) << "Start Lotwise starts the continuous poller";
}

TEST_F(Installer, AnOldListIsConvertedByTheManagerAndWatchedFromTheNextPass) {
  fixture_site::Site site;
  ASSERT_TRUE(site.Ready()) << site.ServerLog();
  // An earlier version's folder with only the old list: a description, an address, the minutes
  // and the price.
  ASSERT_TRUE(CreateDirectoryA(kInstallFolder, nullptr));
  WriteFileBytes(Installed("lotwise.ini"),
                 "\"Old cameras\" " + site.Address("/pages/escaped_film_cameras.html") + " 30 1.5\r\n");
  ASSERT_EQ(RunProgram(setup_, "/S /RUN", "", 120000), 0);
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");

  // The poller reads only the new list: an empty pass, without a word.
  EXPECT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs)) << ui::DescribeScreen();
  const std::vector<std::string> first = LoggedPass();
  EXPECT_TRUE(IsEmptyPass(first)) << Joined(first);
  EXPECT_TRUE(PollerStaysQuiet(2000)) << ui::DescribeScreen();

  // The manager, opened as the last page's box opens it, converts the old list.
  ASSERT_TRUE(OpenShortcut(StartMenuShortcut("Lotwise Manager")));
  HWND window = ui::WaitForWindow(kManagerCaption, kProgramWaitMs);
  ASSERT_NE(window, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(ui::ListRows(window, kSearchList), (std::vector<std::string>{"Old cameras\t1.50\t0\t0\t30"}));
  EXPECT_TRUE(FileExists(Installed("lotwise2.ini")));

  // The next pass watches the converted search.
  ASSERT_EQ(RunProgram(Installed("lotwise.exe"), "-r", kInstallFolder, 60000), 0);
  const std::vector<std::string> next = LoggedPass();
  ASSERT_GE(next.size(), 3u) << Joined(next);
  EXPECT_EQ(next[2], "DESCRIPTION:Old cameras TRIGGERMINUTES:30 TRIGGERPRICE:1.50") << Joined(next);
  EXPECT_EQ(next.back(), "Closed lotwise2.ini") << Joined(next);
  EXPECT_TRUE(CloseManager());
}

TEST_F(Installer, TheLastPageHasBothBoxesTickedAndFinishStartsWatchingAndOpensTheManager) {
  // A fresh installation: no search list.
  ChildProcess setup;
  ASSERT_TRUE(setup.Start(setup_, ""));

  // The installation runs by itself up to the last page, which offers the boxes. The wizard's
  // caption carries the page's subtitle after "Rure Lotwise Setup".
  HWND wizard = nullptr;
  HWND watch = nullptr;
  HWND manager = nullptr;
  WaitUntil([&] {
    wizard = FindWindowA("#32770", nullptr);
    while (wizard && ui::WindowText(wizard).rfind("Rure Lotwise Setup", 0) != 0)
      wizard = FindWindowExA(nullptr, wizard, "#32770", nullptr);
    watch = wizard ? FindButton(wizard, "Start watching now") : nullptr;
    manager = wizard ? FindButton(wizard, "Open Lotwise Manager") : nullptr;
    return watch != nullptr && manager != nullptr;
  }, 60000);
  ASSERT_NE(watch, nullptr) << ui::DescribeScreen();
  ASSERT_NE(manager, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(SendMessageA(watch, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(manager, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(PollerRunning());

  ui::PostClick(wizard, IDOK);  // Finish
  EXPECT_TRUE(setup.Wait(30000));
  EXPECT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs)) << ui::DescribeScreen();
  HWND window = ui::WaitForWindow(kManagerCaption, kProgramWaitMs);
  ASSERT_NE(window, nullptr) << ui::DescribeScreen();
  EXPECT_TRUE(ui::ListRows(window, kSearchList).empty());
  const std::vector<std::string> pass = LoggedPass();
  EXPECT_TRUE(IsEmptyPass(pass)) << Joined(pass);
  EXPECT_TRUE(PollerStaysQuiet(2000)) << ui::DescribeScreen();
  EXPECT_TRUE(CloseManager());
}

TEST_F(Installer, SetupOverARunningPollerStopsItBeforeCopying) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);
  WriteFileBytes(Installed("lotwise2.ini"), "");
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(Installed("lotwise.exe"), "", kInstallFolder));
  ASSERT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs));

  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);
  DWORD code = 1;
  EXPECT_TRUE(poller.Wait(1000, &code)) << "setup stops the running poller";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadFileBytes(Installed("lotwise.exe")), ReadFileBytes(ProgramPath("lotwise.exe")));
  EXPECT_TRUE(FileExists(Installed("lotwise2.ini")));
}

TEST_F(Installer, RemoveDataTakesTheSearchesAndTheUsersVirtualCopies) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);
  for (const char* file : {"lotwise2.ini", "lotwise.ini", "blockedauctions.ini", "alerthistory.txt"})
    WriteFileBytes(Installed(file), "x");
  MakeVirtualFolder();
  const std::string virtualFolder = VirtualFolder();
  const std::string otherProduct = VirtualStore() + "\\Program Files\\Other Product";
  CreateDirectoryA(otherProduct.c_str(), nullptr);
  // The blocked list as its copy only: the user's data too.
  for (const char* file : {"lotwise2.ini", "lotwise.ini", "blockedauctions.txt", "lotwise.txt", "searchhealth.txt"})
    WriteFileBytes(virtualFolder + "\\" + file, "x");
  WriteFileBytes(otherProduct + "\\settings.ini", "x");
  const char* kVirtualKeys[] = {"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Rure Lotwise",
                                "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Rure Lotwise"};
  for (const char* key : kVirtualKeys) ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, key, "RunInterval", "5"));

  EXPECT_EQ(RunProgram(Installed("uninstall.exe"), "/S /REMOVEDATA _?=" + std::string(kInstallFolder), "", 90000), 0);
  for (const char* file : {"lotwise2.ini", "lotwise.ini", "blockedauctions.ini", "alerthistory.txt"})
    EXPECT_FALSE(FileExists(Installed(file))) << file;
  EXPECT_FALSE(FileExists(virtualFolder)) << virtualFolder;
  for (const char* key : kVirtualKeys)
    EXPECT_FALSE(QueryValue(HKEY_CURRENT_USER, key, "RunInterval").exists) << key;
  // Only Lotwise's copies go.
  EXPECT_TRUE(FileExists(otherProduct + "\\settings.ini"));
  RemoveTree(otherProduct);
}
