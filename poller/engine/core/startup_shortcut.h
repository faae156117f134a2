// Whether a process was started by a shortcut in a Startup folder, from what the shell hands
// it: a program started from a shortcut gets the shortcut's full path as its title.
#pragma once
#include <string>
#include <vector>

// True when shortcutPath names a ".lnk" file right inside one of the folders (letters compared
// without case, '/' taken as '\\', a folder's trailing separator ignored).
bool IsShortcutInFolders(const std::string& shortcutPath, const std::vector<std::string>& folders);
