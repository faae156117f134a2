// The settings key "SOFTWARE\Rure Lotwise" under HKEY_LOCAL_MACHINE: readers and the writer.
#pragma once
#include <windows.h>

#include <string>

#include "platform/registry_key.h"

constexpr const char kSettingsKeyPath[] = "SOFTWARE\\Rure Lotwise";
constexpr DWORD kSettingsEmailAddressSize = 1024;

// Each reader opens the key, reads one value and closes the key, so a saved change is seen at
// the next read. A missing key or value, data over 256 bytes, or data that does not begin with
// a number gives the default.
int ReadSettingsValue(const char* name, int defaultValue);
int ReadRunInterval();    // "RunInterval", 30
int IsSoundEnabled();     // "LotwiseSound", 1
int ArePopupsEnabled();   // "PopupMessages", 1

// "Folder" as text, NUL-terminated, when its data (NUL included, if stored) is at most
// limitBytes long: 256 for the manager, 128 for the settings dialog.
bool ReadFolder(std::string& folder, DWORD limitBytes);

// "ItemHost": the auction site's item-view host; "cgi.rure.com" when not set or not a plain
// host name (IsPlainItemHost).
std::string ReadItemHost();

// The settings dialog's Save: the key is created (or opened) once and the values are written
// in the dialog's order, each with its exact data length.
class SettingsWriter {
 public:
  bool Open();  // KEY_READ | KEY_WRITE
  bool WriteRunInterval(const char* text);                                  // text length, no NUL
  bool WriteEmailAddress(const char (&buffer)[kSettingsEmailAddressSize]);  // all 1024 bytes
  bool WritePopupMessages(bool on);                                         // one byte "1" or "0"
  bool WriteEmailMessages(bool on);                                         // one byte "1" or "0"
  bool ReadFolder(std::string& folder, DWORD limitBytes) const;
  void Close() { key_.Close(); }

 private:
  RegistryKey key_;
};
