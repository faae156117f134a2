// Settings value parsing, shared by the poller's readers.
#include "common/settings_value.h"

#include <string>

#include "common/text_scan.h"

int ParseSettingsNumber(const char* data, std::size_t length, int defaultValue) {
  if (!data) return defaultValue;
  const std::string text(data, length);  // stops nothing: NULs end the scan below
  int value = defaultValue;
  TextScan scan(text.c_str());
  return scan.Int(value) ? value : defaultValue;
}
