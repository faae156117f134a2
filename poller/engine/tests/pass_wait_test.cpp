// The wait between passes: 0 is none, a negative interval is the default, a huge one is capped.
#include "poller/engine/core/pass_wait.h"

#include <gtest/gtest.h>

#include <climits>

TEST(PassWait, ZeroIsNoWaitNegativeIsTheDefaultAndTooLongIsCapped) {
  const struct {
    int minutes;
    std::uint32_t milliseconds;
  } cases[] = {
      {0, 0u},          {1, 60000u},       {30, 1800000u},        {-1, 1800000u},
      {-5, 1800000u},   {INT_MIN, 1800000u}, {71582, 4294920000u}, {71583, 4294920000u},
      {INT_MAX, 4294920000u},
  };
  for (const auto& c : cases) EXPECT_EQ(PassWaitMilliseconds(c.minutes), c.milliseconds) << c.minutes;
}
