// The editor's scheme check.
#include "manager/core/watched_address.h"

#include <cctype>
#include <cstring>

bool IsWatchableAddress(const std::string& url) {
  constexpr char kScheme[] = "http://";
  const std::size_t length = std::strlen(kScheme);
  if (url.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return false;
  return true;
}
