// The bargain rule as a table: the edges of price and time, and prices that are not numbers.
#include "poller/engine/core/bargain_rule.h"

#include <gtest/gtest.h>

TEST(BargainRule, PriceAndTimeAtOrBelowTheTargetOnly) {
  struct Case {
    const char* price;
    int minutes;
    bool bargain;
  };
  // Target 25.00, trigger 180 minutes.
  const Case cases[] = {
      {"25.00", 180, true},   {"24.99", 0, true},     {"25.01", 180, false}, {"25.00", 181, false},
      {"0", 0, true},         {" 9.99", 72, true},    {"1,250.00", 1, true},  // read up to the comma
      {"abc", 10, false},     {"", 10, false},        {"nan", 10, false},    {"inf", 10, false},
      {"-5", 10, true},       {"12.5xyz", 180, true},
  };
  for (const Case& c : cases) {
    float price = -1;
    EXPECT_EQ(IsBargain(c.price, c.minutes, 25.0f, 180, price), c.bargain) << '"' << c.price << "\" " << c.minutes;
  }
  float price = -1;
  EXPECT_FALSE(IsBargain("abc", 0, 25.0f, 180, price));
  EXPECT_EQ(price, 0.0f) << "a price that is not a number reads as 0";
  EXPECT_TRUE(IsBargain("19.50", 42, 25.0f, 180, price));
  EXPECT_FLOAT_EQ(price, 19.5f);
}
