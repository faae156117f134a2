// The Startup shortcut test on paths alone.
#include "poller/engine/core/startup_shortcut.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kShortcutExtension[] = ".lnk";

// Windows paths compare without case and with either separator.
std::string Comparable(std::string path) {
  for (char& c : path) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '/') c = '\\';
  }
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

bool IsShortcutInFolders(const std::string& shortcutPath, const std::vector<std::string>& folders) {
  const std::string path = Comparable(shortcutPath);
  const std::string extension = kShortcutExtension;
  const std::size_t nameStart = path.rfind('\\');
  // A name of its own before ".lnk", right behind the folder.
  if (nameStart == std::string::npos || path.size() - nameStart - 1 <= extension.size() ||
      path.compare(path.size() - extension.size(), extension.size(), extension) != 0)
    return false;
  const std::string folder = path.substr(0, nameStart);
  return !folder.empty() && std::any_of(folders.begin(), folders.end(), [&folder](const std::string& candidate) {
           return Comparable(candidate) == folder;
         });
}
