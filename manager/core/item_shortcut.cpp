// Shortcut file name and contents.
#include "manager/core/item_shortcut.h"

#include <cctype>

namespace {

constexpr std::size_t kRowIdSize = 64;

bool IsDeviceName(const std::string& id) {
  std::string upper;
  for (char c : id) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* device : {"CON", "PRN", "AUX", "NUL"})
    if (upper == device) return true;
  return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
         upper[3] >= '0' && upper[3] <= '9';
}

}  // namespace

std::string RowItemId(const std::string& row) {
  const std::size_t start = row.find_first_not_of(" \t\r\n\v\f");
  if (start == std::string::npos) return {};
  const std::size_t end = row.find_first_of(" \t\r\n\v\f", start);
  std::string id = row.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (id.size() > kRowIdSize - 1) id.resize(kRowIdSize - 1);
  return id;
}

bool ShortcutFileName(const std::string& id, std::string& fileName) {
  if (id.empty() || id.size() > kShortcutIdLength || IsDeviceName(id)) return false;
  for (char c : id)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  fileName = id + ".url";
  return true;
}

std::string ShortcutFileText(const std::string& address) {
  return "[InternetShortcut]\r\nURL=" + address + "\r\n";
}
