// The Internet shortcut file through which the results page opens an item's page.
#pragma once
#include <string>

constexpr std::size_t kShortcutIdLength = 31;  // the longest id the results page accepts

// The id of a result row: its first word, at most 63 bytes.
std::string RowItemId(const std::string& row);

// "%s.url" for an id that is safe as a bare file name in the current folder: 1 to 31
// letters, digits, '-' or '_', and not a device name (CON, NUL, COM1...). False for any other
// id, so that no name from the log can reach outside the folder.
bool ShortcutFileName(const std::string& id, std::string& fileName);

// "[InternetShortcut]" and "URL=<address>", each with a CR LF line end: the file's bytes.
std::string ShortcutFileText(const std::string& address);
