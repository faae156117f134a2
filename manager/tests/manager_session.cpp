// ManagerSession: folders, the settings value, start and end of the manager, posted clicks.
#include "manager/tests/manager_session.h"

#include <commctrl.h>

#include "common/settings_store.h"
#include "manager/manager_ids.h"
#include "platform/registry_key.h"
#include "tests/uidriver/ui_driver.h"

namespace testing_support {
namespace {
constexpr char kX11DriverKey[] = "Software\\Wine\\X11 Driver";
}  // namespace

UnmanagedWindows::UnmanagedWindows() : saved_(QueryValue(HKEY_CURRENT_USER, kX11DriverKey, "Managed")) {
  SetStringValue(HKEY_CURRENT_USER, kX11DriverKey, "Managed", std::string("N", 2));
}

UnmanagedWindows::~UnmanagedWindows() {
  if (saved_.exists) {
    SetStringValue(HKEY_CURRENT_USER, kX11DriverKey, "Managed", saved_.data);
  } else {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kX11DriverKey, KEY_SET_VALUE)) RegDeleteValueA(key.Get(), "Managed");
  }
}

ManagerSession::ManagerSession(const std::string& name)
    : settings_(std::make_unique<ScopedRegistryKey>(kSettingsKeyPath)),
      folder_(name),
      currentDir_(name + "-cwd"),
      name_(name) {
  // As an installation writes it: the text with its NUL.
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder", folder_.Path() + std::string(1, '\0'));
}

ManagerSession::~ManagerSession() {
  if (process_.IsRunning() && window_) {
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    process_.Wait(5000);
  }
  process_.Terminate();
}

bool ManagerSession::Start() { return StartProgram(ProgramPath("LotwiseMgr.exe")); }

bool ManagerSession::StartBesideStandInPoller() {
  programFolder_ = std::make_unique<ScratchFolder>(name_ + "-program");
  const std::string manager = programFolder_->File("LotwiseMgr.exe");
  return CopyFileA(ProgramPath("LotwiseMgr.exe").c_str(), manager.c_str(), FALSE) &&
         CopyFileA(ProgramPath("stand_in_poller.exe").c_str(), programFolder_->File("lotwise.exe").c_str(), FALSE) &&
         StartProgram(manager);
}

bool ManagerSession::StartProgram(const std::string& manager) {
  if (!process_.Start(manager, "", currentDir_.Path())) return false;
  window_ = ui::WaitForWindow(kManagerCaption);
  return window_ != nullptr;
}

bool ManagerSession::Close() {
  ui::PostClick(window_, IDOK);
  DWORD code = 1;
  return process_.Wait(10000, &code) && code == 0;
}

void ManagerSession::ShowTab(int index) const { SendMessageA(GetDlgItem(window_, kPageTabs), TCM_SETCURFOCUS, index, 0); }

int ManagerSession::CurrentTab() const {
  return static_cast<int>(SendMessageA(GetDlgItem(window_, kPageTabs), TCM_GETCURSEL, 0, 0));
}

HWND ManagerSession::WaitForEditor() const { return ui::WaitForWindow(kEditorCaption); }


}  // namespace testing_support
