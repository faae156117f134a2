// Item-view address formatting.
#include "common/item_page.h"

std::string FormatItemPageAddress(const char* host, const char* id) {
  std::string address = std::string("http://") + host + "/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=" + id;
  if (address.size() > 255) address.resize(255);
  return address;
}
