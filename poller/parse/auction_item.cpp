// The current auction item's time left in minutes.
#include "poller/parse/auction_item.h"

#include <climits>

int ItemMinutes(const AuctionItem& item) {
  // Far-off or hostile time-left texts give values whose sum does not fit in an int.
  const long long total = static_cast<long long>(item.minutes) +
                          60LL * (static_cast<long long>(item.hours) + 24LL * item.days);
  if (total > INT_MAX) return INT_MAX;
  if (total < INT_MIN) return INT_MIN;
  return static_cast<int>(total);
}
