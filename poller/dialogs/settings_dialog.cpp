// Settings dialog: run interval and pop-up switch into the settings key, and the browser
// toolbar button that starts the search manager.
#include "poller/dialogs/settings_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/settings_store.h"
#include "platform/registry_key.h"
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

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Both visible boxes start checked whatever is stored; only the interval is read back.
void InitSettingsDialog(HWND dialog) {
  CheckDlgButton(dialog, kSettingsPopupMessages, BST_CHECKED);
  CheckDlgButton(dialog, kSettingsBrowserButton, BST_CHECKED);
  char interval[16];
  std::snprintf(interval, sizeof interval, "%d", ReadRunInterval());
  SetDlgItemTextA(dialog, kSettingsRunInterval, interval);
}

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

// Writes the settings in their fixed order and stops at the first failure, keeping what was
// written; the dialog closes only when everything asked for is done.
void SaveSettings(HWND dialog) {
  SettingsWriter writer;
  if (!writer.Open()) {
    ShowError(kSetError);
    return;
  }
  char interval[kTextSize] = {};
  GetDlgItemTextA(dialog, kSettingsRunInterval, interval, kTextSize);
  char email[kEmailAddressSize] = {};  // stored whole: the text, its NUL, then zeros
  GetDlgItemTextA(dialog, kSettingsEmailAddress, email, kEmailAddressSize);
  if (!writer.WriteRunInterval(interval) || !writer.WriteEmailAddress(email) ||
      !writer.WritePopupMessages(IsChecked(dialog, kSettingsPopupMessages)) ||
      !writer.WriteEmailMessages(IsChecked(dialog, kSettingsEmailMessages))) {
    writer.Close();
    ShowError(kSetError);
    return;
  }
  std::string folder;
  const bool folderRead = writer.ReadFolder(folder, kFolderLimit);
  writer.Close();
  if (!folderRead) ShowError(kGetError);

  if (!IsChecked(dialog, kSettingsBrowserButton) || RegisterBrowserButton()) EndDialog(dialog, kSettingsSave);
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        InitSettingsDialog(dialog);
        return FALSE;
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case IDCANCEL:  // Cancel, Enter (the default button), Escape and the close box
            EndDialog(dialog, IDCANCEL);
            return TRUE;
          case kSettingsSave:
            SaveSettings(dialog);
            return TRUE;
        }
        return FALSE;
      case WM_NOTIFY:
        return TRUE;
    }
  } catch (...) {
    // Nothing may unwind into user32; the dialog simply stays as it is.
  }
  return FALSE;
}
