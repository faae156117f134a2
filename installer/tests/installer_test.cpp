// LotwiseSetup.exe under Wine: a silent install places the programs, the settings value and the
// shortcuts, and nothing else; the installed manager starts a pass in the installed folder;
// watching starts when setup ends (/RUN, or the last page's box) and "Stop Lotwise" ends it;
// setup stops a running poller before it copies; a silent uninstall stops a running poller and
// removes what the installer placed, the user's searches (and virtual copies) only when asked.
#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

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

// What the local Users group may do to the settings key by its own access entries.
ACCESS_MASK UsersAccessToSettingsKey() {
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::string object = std::string("MACHINE\\") + kSettingsKeyPath;
  if (GetNamedSecurityInfoA(object.c_str(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return 0;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID users = nullptr;
  AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                           &users);
  ACCESS_MASK granted = 0;
  for (DWORD i = 0; acl && users && i < acl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    if (EqualSid(&ace->SidStart, users)) granted |= ace->Mask;
  }
  if (users) FreeSid(users);
  LocalFree(descriptor);
  return granted;
}

// A continuous poller holds the mutex "Lotwise" for as long as it runs.
bool PollerRunning() {
  HANDLE mark = OpenMutexA(SYNCHRONIZE, FALSE, "Lotwise");
  if (!mark) return false;
  CloseHandle(mark);
  return true;
}

constexpr DWORD kProgramWaitMs = 20000;

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

  void TearDown() override {
    // Never leave an installation or a poller behind for other tests of this prefix.
    if (PollerRunning() && FileExists(Installed("lotwise.exe"))) RunProgram(Installed("lotwise.exe"), "-k");
    if (FileExists(Installed("uninstall.exe"))) {
      RunProgram(Installed("uninstall.exe"), "/S /REMOVEDATA _?=" + std::string(kInstallFolder), "", 90000);
      RemoveTree(kInstallFolder);
    }
  }
};

}  // namespace

TEST_F(Installer, SilentInstallPlacesEverythingAndTheManagerRunsAPassThere) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);

  // Nothing else is shipped (no permission helper), and nothing opened the key to other users.
  EXPECT_EQ(FolderNames(kInstallFolder),
            (std::set<std::string>{"lotwise.exe", "LotwiseMgr.exe", "icon1.ico", "cash-register.wav", "uninstall.exe"}));
  EXPECT_EQ(UsersAccessToSettingsKey() & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | WRITE_DAC | WRITE_OWNER | DELETE |
                                         GENERIC_WRITE | GENERIC_ALL),
            0u);
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

TEST_F(Installer, SilentUninstallStopsThePollerAndKeepsTheSearches) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);
  WriteFileBytes(Installed("lotwise2.ini"), "");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(Installed("lotwise.exe"), "", kInstallFolder));
  for (int i = 0; i < 100 && !FileExists(Installed("lotwise.txt")); ++i) Sleep(100);
  for (int i = 0; i < 100 && !FileExists(Installed("searchhealth.txt")); ++i) Sleep(100);

  // "_?=" keeps the uninstaller in place, so its end is the end of the work.
  EXPECT_EQ(RunProgram(Installed("uninstall.exe"), "/S _?=" + std::string(kInstallFolder), "", 90000), 0);
  DWORD code = 1;
  EXPECT_TRUE(poller.Wait(10000, &code)) << "the uninstaller stops the running poller";
  EXPECT_EQ(code, 0u);
  for (const char* file :
       {"lotwise.exe", "LotwiseMgr.exe", "icon1.ico", "cash-register.wav", "lotwise.txt", "searchhealth.txt"})
    EXPECT_FALSE(FileExists(Installed(file))) << file;
  EXPECT_TRUE(FileExists(Installed("lotwise2.ini"))) << "the user's searches stay";
  EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder").exists);
  for (const char* name : {"Lotwise Manager", "Stop Lotwise", "Uninstall Lotwise"})
    EXPECT_FALSE(FileExists(StartMenuShortcut(name))) << name;
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_STARTUP) + "\\Lotwise.lnk"));
}

TEST_F(Installer, SilentInstallWithRunStartsWatchingAndStopLotwiseEndsIt) {
  // An upgrade over a folder that already holds the user's searches.
  RemoveTree(kInstallFolder);
  ASSERT_TRUE(CreateDirectoryA(kInstallFolder, nullptr));
  WriteFileBytes(Installed("lotwise2.ini"), "");
  ASSERT_EQ(RunProgram(setup_, "/S /RUN", "", 120000), 0);

  // A continuous poller, started through the Startup shortcut in the installed folder.
  EXPECT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs)) << ui::DescribeScreen();
  EXPECT_TRUE(WaitUntil([] { return ReadFileBytes(Installed("lotwise.txt")).find("Closed ") != std::string::npos; },
                        kProgramWaitMs))
      << ReadFileBytes(Installed("lotwise.txt"));

  ASSERT_TRUE(OpenShortcut(StartMenuShortcut("Stop Lotwise")));
  EXPECT_TRUE(WaitUntil([] { return !PollerRunning(); }, kProgramWaitMs)) << "Stop Lotwise stops the poller";
}

TEST_F(Installer, TheLastPageStartsWatchingWithItsBoxTicked) {
  RemoveTree(kInstallFolder);
  ASSERT_TRUE(CreateDirectoryA(kInstallFolder, nullptr));
  WriteFileBytes(Installed("lotwise2.ini"), "");
  ChildProcess setup;
  ASSERT_TRUE(setup.Start(setup_, ""));

  // The installation runs by itself up to the last page, which offers the box. The wizard's
  // caption carries the page's subtitle after "Rure Lotwise Setup".
  HWND wizard = nullptr;
  HWND box = nullptr;
  WaitUntil([&] {
    wizard = FindWindowA("#32770", nullptr);
    while (wizard && ui::WindowText(wizard).rfind("Rure Lotwise Setup", 0) != 0)
      wizard = FindWindowExA(nullptr, wizard, "#32770", nullptr);
    box = wizard ? FindButton(wizard, "Start watching now") : nullptr;
    return box != nullptr;
  }, 60000);
  ASSERT_NE(box, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(PollerRunning());

  ui::PostClick(wizard, IDOK);  // Finish
  EXPECT_TRUE(setup.Wait(30000));
  EXPECT_TRUE(WaitUntil(PollerRunning, kProgramWaitMs)) << ui::DescribeScreen();
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
  for (const char* file : {"lotwise2.ini", "lotwise.ini", "blockedauctions.ini"}) WriteFileBytes(Installed(file), "x");
  // Where Windows keeps this user's copies of what their unelevated programs wrote; Wine
  // virtualises nothing, so they are made here as Windows would have made them.
  const std::string virtualStore = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\VirtualStore";
  const std::string virtualFolder = virtualStore + "\\Program Files\\Rure Lotwise";
  const std::string otherProduct = virtualStore + "\\Program Files\\Other Product";
  for (const std::string& folder : {virtualStore, virtualStore + "\\Program Files", virtualFolder, otherProduct})
    CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* file : {"lotwise2.ini", "blockedauctions.ini", "lotwise.txt"})
    WriteFileBytes(virtualFolder + "\\" + file, "x");
  WriteFileBytes(otherProduct + "\\settings.ini", "x");
  const char* kVirtualKeys[] = {"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Rure Lotwise",
                                "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Rure Lotwise"};
  for (const char* key : kVirtualKeys) ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, key, "RunInterval", "5"));

  EXPECT_EQ(RunProgram(Installed("uninstall.exe"), "/S /REMOVEDATA _?=" + std::string(kInstallFolder), "", 90000), 0);
  for (const char* file : {"lotwise2.ini", "lotwise.ini", "blockedauctions.ini"})
    EXPECT_FALSE(FileExists(Installed(file))) << file;
  EXPECT_FALSE(FileExists(virtualFolder)) << virtualFolder;
  for (const char* key : kVirtualKeys)
    EXPECT_FALSE(QueryValue(HKEY_CURRENT_USER, key, "RunInterval").exists) << key;
  // Only Lotwise's copies go.
  EXPECT_TRUE(FileExists(otherProduct + "\\settings.ini"));
  RemoveTree(otherProduct);
}
