// Settings dialog: run interval and pop-up switch into the settings key, and the browser
// toolbar button that starts the search manager.
#include "poller/dialogs/settings_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/settings_store.h"
#include "platform/dialog.h"
#include "platform/registry_key.h"
#include "poller/dialogs/dialog_ids.h"
#include "poller/dialogs/settings_ids.h"

namespace {

constexpr int kTextSize = 1024;
constexpr DWORD kFolderLimit = 128;  // tighter than the manager's: the paths below must fit
constexpr DWORD kButtonPathSize = 256;
constexpr const char kBrowserButtonKeyPath[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{7F0B49E9-7631-4bb9-9B62-B0D717369B29}";
// The class the browser requires for a toolbar button that starts a program.
constexpr const char kButtonClsid[] = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";
constexpr const char kSetError[] = "Error setting registry value";
constexpr const char kGetError[] = "Error getting registry value";

void ShowError(const char* text) { MessageBoxA(nullptr, text, "Error", MB_OK); }

// A text value without its NUL, as the browser reads its button values.
bool SetText(RegistryKey& key, const char* name, const char* text) {
  return key.SetString(name, text, static_cast<DWORD>(std::strlen(text)));
}

// Folder, one backslash and the file name, stored as the whole 256-byte buffer: the text, its
// NUL, then zeros.
bool SetButtonPath(RegistryKey& key, const char* name, const std::string& folder, const char* fileName) {
  char path[kButtonPathSize] = {};
  std::snprintf(path, sizeof path, "%s\\%s", folder.c_str(), fileName);
  return key.SetString(name, path, sizeof path);
}

// True when the button is registered. A missing or too long Folder stops it silently: the
// Save step has already reported it.
bool RegisterBrowserButton() {
  std::string folder;
  if (!ReadFolder(folder, kFolderLimit)) return false;
  RegistryKey key;
  const bool registered = key.Create(HKEY_LOCAL_MACHINE, kBrowserButtonKeyPath, KEY_READ | KEY_WRITE) &&
                          SetText(key, "ButtonText", "Lotwise") && SetText(key, "CLSID", kButtonClsid) &&
                          SetText(key, "DefaultVisable", "Yes") && SetText(key, "Default Visable", "Yes") &&
                          SetButtonPath(key, "Exec", folder, "lotwisemgr.exe") &&
                          SetButtonPath(key, "Icon", folder, "icon1.ico");
  key.Close();
  if (!registered) ShowError(kSetError);
  return registered;
}

class SettingsDialog : public BoxDialog {
 public:
  SettingsDialog() : BoxDialog(kSettingsDialogId) {}

 protected:
  // Both visible boxes start checked whatever is stored; only the interval is read back.
  bool OnInit() override {
    CheckDlgButton(Handle(), kSettingsPopupMessages, BST_CHECKED);
    CheckDlgButton(Handle(), kSettingsBrowserButton, BST_CHECKED);
    SetItemText(kSettingsRunInterval, std::to_string(ReadRunInterval()).c_str());
    return false;
  }

  bool OnCommand(int id, int, HWND) override {
    if (id != kSettingsSave) return false;
    Save();
    return true;
  }

  // Cancel, Enter (Cancel is the default button), Escape and the close box come as IDCANCEL;
  // there is no OK button, and an IDOK from elsewhere does nothing.
  void OnOk() override {}

 private:
  bool IsChecked(int id) const { return IsDlgButtonChecked(Handle(), id) == BST_CHECKED; }
  void Save();
};

// Writes the settings in their fixed order and stops at the first failure, keeping what was
// written; the dialog closes only when everything asked for is done.
void SettingsDialog::Save() {
  SettingsWriter writer;
  if (!writer.Open()) {
    ShowError(kSetError);
    return;
  }
  char interval[kTextSize] = {};
  GetDlgItemTextA(Handle(), kSettingsRunInterval, interval, kTextSize);
  char email[kSettingsEmailAddressSize] = {};  // stored whole: the text, its NUL, then zeros
  GetDlgItemTextA(Handle(), kSettingsEmailAddress, email, kSettingsEmailAddressSize);
  if (!writer.WriteRunInterval(interval) || !writer.WriteEmailAddress(email) ||
      !writer.WritePopupMessages(IsChecked(kSettingsPopupMessages)) ||
      !writer.WriteEmailMessages(IsChecked(kSettingsEmailMessages))) {
    writer.Close();
    ShowError(kSetError);
    return;
  }
  std::string folder;
  const bool folderRead = writer.ReadFolder(folder, kFolderLimit);
  writer.Close();
  if (!folderRead) ShowError(kGetError);

  if (!IsChecked(kSettingsBrowserButton) || RegisterBrowserButton()) End(kSettingsSave);
}

}  // namespace

INT_PTR ShowSettingsDialog() {
  SettingsDialog dialog;
  return dialog.Run(nullptr, SettingsDialogProc);
}

// Nothing may unwind into user32: the platform's procedure catches it and the dialog simply
// stays as it is.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Dialog::Procedure(dialog, message, wParam, lParam);
}
