// Item-view address formatting.
#include "common/item_page.h"

namespace {

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool IsPort(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const long port = std::stol(text);
  return port >= 1 && port <= 65535;
}

}  // namespace

bool IsPlainItemHost(const std::string& host) {
  const std::size_t colon = host.find(':');
  const std::string name = host.substr(0, colon);
  if (name.empty()) return false;
  for (char c : name)
    if (!IsHostCharacter(c)) return false;
  return colon == std::string::npos || IsPort(host.substr(colon + 1));
}

std::string FormatItemPageAddress(const char* host, const char* id) {
  std::string address = std::string("http://") + host + "/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=" + id;
  if (address.size() > 255) address.resize(255);
  return address;
}
