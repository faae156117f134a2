// Settings readers and writer on the real registry.
#include "common/settings_store.h"

#include <cstring>

#include "common/item_page.h"
#include "common/settings_value.h"

namespace {

// Reads a text value into a buffer one larger than the limit, so the text is always terminated
// even when the value was stored without its NUL.
bool QueryText(const RegistryKey& key, const char* name, DWORD limitBytes, std::string& text) {
  std::string buffer(limitBytes + 1, '\0');
  DWORD length = 0;
  if (!key.Query(name, &buffer[0], limitBytes, &length)) return false;
  text.assign(buffer.c_str(), std::strlen(buffer.c_str()));
  return true;
}

}  // namespace

int ReadSettingsValue(const char* name, int defaultValue) {
  RegistryKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_QUERY_VALUE)) return defaultValue;
  char buffer[kSettingsValueSize + 1] = {};
  DWORD length = 0;
  if (!key.Query(name, buffer, kSettingsValueSize, &length)) return defaultValue;
  key.Close();
  return ParseSettingsNumber(buffer, length, defaultValue);
}

int ReadRunInterval() { return ReadSettingsValue("RunInterval", 30); }
int IsSoundEnabled() { return ReadSettingsValue("LotwiseSound", 1); }
int ArePopupsEnabled() { return ReadSettingsValue("PopupMessages", 1); }

bool ReadFolder(std::string& folder, DWORD limitBytes) {
  RegistryKey key;
  return key.Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_QUERY_VALUE) && QueryText(key, "Folder", limitBytes, folder);
}

std::string ReadItemHost() {
  RegistryKey key;
  std::string host;
  if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_QUERY_VALUE) &&
      QueryText(key, "ItemHost", kSettingsValueSize, host) && IsPlainItemHost(host))
    return host;
  return kDefaultItemHost;
}

bool SettingsWriter::Open() { return key_.Create(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ | KEY_WRITE); }

bool SettingsWriter::WriteRunInterval(const char* text) {
  return key_.SetString("RunInterval", text, static_cast<DWORD>(std::strlen(text)));
}

bool SettingsWriter::WriteEmailAddress(const char (&buffer)[kSettingsEmailAddressSize]) {
  return key_.SetString("EmailAddress", buffer, kSettingsEmailAddressSize);
}

bool SettingsWriter::WritePopupMessages(bool on) { return key_.SetString("PopupMessages", on ? "1" : "0", 1); }
bool SettingsWriter::WriteEmailMessages(bool on) { return key_.SetString("EmailMessages", on ? "1" : "0", 1); }

bool SettingsWriter::ReadFolder(std::string& folder, DWORD limitBytes) const {
  return QueryText(key_, "Folder", limitBytes, folder);
}
