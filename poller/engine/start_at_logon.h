// Starting at logon, chosen by each user. The Startup shortcut is every user's and a standard
// user cannot delete it, so a user who turns starting at logon off has the poller that the
// shortcut starts for them end at once.
#pragma once

// Under HKEY_CURRENT_USER: the choice belongs to the user, not to the machine's settings key.
constexpr const char kUserSettingsKeyPath[] = "Software\\Rure Lotwise";
constexpr const char kStartAtLogonValue[] = "StartAtLogon";

// On unless this user's "StartAtLogon" holds "0".
bool IsStartAtLogonOn();
// Writes "1" or "0"; false when it could not be written.
bool SetStartAtLogon(bool on);

// True when the shell started this process from a shortcut in the user's or the all-users
// Startup folder.
bool StartedByStartupShortcut();
