// The user's start-at-logon choice, and how the poller knows that the Startup shortcut
// started it.
#include "poller/engine/start_at_logon.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/registry_key.h"
#include "poller/engine/core/startup_shortcut.h"

namespace {

constexpr char kOff[] = "0";
constexpr char kOn[] = "1";

// The shell hands out long names; a short one given by hand is made long where it exists.
std::string LongPath(const char* path) {
  char longPath[MAX_PATH];
  const DWORD length = GetLongPathNameA(path, longPath, sizeof longPath);
  return length > 0 && length < sizeof longPath ? std::string(longPath, length) : std::string(path);
}

}  // namespace

bool IsStartAtLogonOn() {
  RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, kUserSettingsKeyPath, KEY_QUERY_VALUE)) return true;
  char text[16] = {};
  DWORD length = 0;
  if (!key.Query(kStartAtLogonValue, text, sizeof text - 1, &length)) return true;
  return std::string(text) != kOff;
}

bool SetStartAtLogon(bool on) {
  RegistryKey key;
  const char* text = on ? kOn : kOff;
  return key.Create(HKEY_CURRENT_USER, kUserSettingsKeyPath, KEY_SET_VALUE) &&
         key.SetString(kStartAtLogonValue, text, sizeof kOn);
}

// A program started from a shortcut has STARTF_TITLEISLINKNAME set, and its title is the
// shortcut's full path (the shell does this for every shortcut it opens, the Startup folder's
// at logon included). A start by hand, from the Start menu's own shortcut or by another
// program is not a start at logon.
bool StartedByStartupShortcut() {
  STARTUPINFOA info{};
  info.cb = sizeof info;
  GetStartupInfoA(&info);
  if ((info.dwFlags & STARTF_TITLEISLINKNAME) == 0 || !info.lpTitle) return false;
  std::vector<std::string> folders;
  for (int folder : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_ALTSTARTUP, CSIDL_COMMON_ALTSTARTUP}) {
    char path[MAX_PATH];
    if (SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) folders.push_back(LongPath(path));
  }
  return IsShortcutInFolders(LongPath(info.lpTitle), folders);
}
