#include "poller/engine/core/pass_wait.h"

namespace {

constexpr std::uint32_t kMillisecondsPerMinute = 60000u;
// The longest wait that still fits 32 bits below INFINITE (0xFFFFFFFF).
constexpr int kLongestIntervalMinutes = static_cast<int>(0xFFFFFFFEu / kMillisecondsPerMinute);

}  // namespace

std::uint32_t PassWaitMilliseconds(int runIntervalMinutes) {
  int minutes = runIntervalMinutes;
  if (minutes < 0) minutes = kDefaultRunIntervalMinutes;
  if (minutes > kLongestIntervalMinutes) minutes = kLongestIntervalMinutes;
  return static_cast<std::uint32_t>(minutes) * kMillisecondsPerMinute;
}
