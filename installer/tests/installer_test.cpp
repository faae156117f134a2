// LotwiseSetup.exe under Wine: a silent install places the programs, the settings value and the
// shortcuts; the installed manager starts a pass in the installed folder; a silent uninstall
// stops a running poller and removes what the installer placed, keeping the user's searches.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/settings_store.h"
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

// A shortcut's target and working folder.
struct Shortcut {
  bool read = false;
  std::string target;
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

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  ScopedRegistryKey settings_{kSettingsKeyPath};
  std::string setup_ = ProgramPath("LotwiseSetup.exe");

  void TearDown() override {
    // Never leave an installation behind for other tests of this prefix.
    if (FileExists(Installed("uninstall.exe"))) {
      RunProgram(Installed("uninstall.exe"), "/S /REMOVEDATA _?=" + std::string(kInstallFolder), "", 90000);
      RemoveTree(kInstallFolder);
    }
  }
};

}  // namespace

TEST_F(Installer, SilentInstallPlacesEverythingAndTheManagerRunsAPassThere) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);

  for (const char* file : {"lotwise.exe", "LotwiseMgr.exe", "icon1.ico", "cash-register.wav", "uninstall.exe"})
    EXPECT_TRUE(FileExists(Installed(file))) << file;
  // The poller's fixed sound path names the installed file.
  EXPECT_TRUE(FileExists("c:\\program files\\rure lotwise\\cash-register.wav"));
  EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder").data, std::string(kInstallFolder) + '\0');

  const Shortcut manager = ReadShortcut(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Lotwise\\Lotwise Manager.lnk");
  ASSERT_TRUE(manager.read);
  EXPECT_TRUE(SameFolder(manager.target, Installed("LotwiseMgr.exe"))) << manager.target;
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
  EXPECT_EQ(ui::ListRows(window, 1000).size(), 1u);
  ui::Click(window, 1010);  // Search Now
  std::string log;
  for (int i = 0; i < 300 && log.find("Closed lotwise2.ini") == std::string::npos; ++i) {
    Sleep(100);
    log = ReadFileBytes(Installed("lotwise.txt"));
  }
  ASSERT_NE(log.find("Closed lotwise2.ini"), std::string::npos) << log;
  EXPECT_NE(log.find("RURE LOTWISE ALERT"), std::string::npos) << log;

  // The results page shows the pass: eight items, with its date beside the label.
  SendMessageA(GetDlgItem(window, 1031), TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(ui::ListRows(window, 1005).size(), 8u);
  EXPECT_NE(ui::Text(window, 1027), "Never");
  ui::Click(window, 1);
  EXPECT_TRUE(managerProcess.Wait(10000));
}

TEST_F(Installer, SilentUninstallStopsThePollerAndKeepsTheSearches) {
  ASSERT_EQ(RunProgram(setup_, "/S", "", 120000), 0);
  WriteFileBytes(Installed("lotwise2.ini"), "");
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(Installed("lotwise.exe"), "", kInstallFolder));
  for (int i = 0; i < 100 && !FileExists(Installed("lotwise.txt")); ++i) Sleep(100);

  // "_?=" keeps the uninstaller in place, so its end is the end of the work.
  EXPECT_EQ(RunProgram(Installed("uninstall.exe"), "/S _?=" + std::string(kInstallFolder), "", 90000), 0);
  DWORD code = 1;
  EXPECT_TRUE(poller.Wait(10000, &code)) << "the uninstaller stops the running poller";
  EXPECT_EQ(code, 0u);
  for (const char* file : {"lotwise.exe", "LotwiseMgr.exe", "icon1.ico", "cash-register.wav", "lotwise.txt"})
    EXPECT_FALSE(FileExists(Installed(file))) << file;
  EXPECT_TRUE(FileExists(Installed("lotwise2.ini"))) << "the user's searches stay";
  EXPECT_FALSE(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder").exists);
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Lotwise\\Lotwise Manager.lnk"));
  EXPECT_FALSE(FileExists(ShellFolder(CSIDL_COMMON_STARTUP) + "\\Lotwise.lnk"));
}
