// Removing an item's shortcut once the shell's helper has read it, away from the window's
// thread, so that the window never waits for a browser.
#pragma once
#include <windows.h>

#include <string>

// Removes the file at path once helper (a process handle, taken over; may be null) has ended,
// or after 5 seconds at most.
void RemoveShortcutWhenRead(HANDLE helper, const std::string& path);

// Waits for the removals still pending: the program ends only after its shortcuts are gone.
void FinishShortcutRemovals();
