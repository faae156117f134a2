// Settings values: the number at the start of the data, or the default.
#include "common/settings_value.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SettingsValue, NumberAtTheStartOrTheDefault) {
  struct Case {
    const char* data;
    int expected;
  } cases[] = {
      {"5", 5},        {"  12", 12},  {"-3", -3},        {"+7", 7},   {"0", 0},          {"30 minutes", 30},
      {"", 99},        {"abc", 99},   {"x5", 99},        {"-", 99},   {"99999999999", 2147483647},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    EXPECT_EQ(ParseSettingsNumber(c.data, std::strlen(c.data), 99), c.expected);
  }
  EXPECT_EQ(ParseSettingsNumber(nullptr, 0, 30), 30);
  // Data stored without its NUL: only the stated length counts.
  const char unterminated[] = {'4', '2', '7'};
  EXPECT_EQ(ParseSettingsNumber(unterminated, 2, 0), 42);
}
