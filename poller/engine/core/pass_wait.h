// How long a continuous poller waits between two passes.
#pragma once
#include <cstdint>

constexpr int kDefaultRunIntervalMinutes = 30;

// The wait after a pass, in milliseconds, for a run interval in minutes. 0 starts the next pass
// at once. A negative interval waits as an unreadable one does (30 minutes): taken as it
// stands it would be no wait at all, and every pass would follow the last at once. An interval
// too long for a timed wait is cut to the longest one.
std::uint32_t PassWaitMilliseconds(int runIntervalMinutes);
