// The bargain test: price and time left against the search's target and trigger.
#include "poller/engine/core/bargain_rule.h"

#include "common/text_scan.h"

bool IsBargain(const char* priceText, int itemMinutes, float targetPrice, int triggerMinutes, float& price) {
  price = 0;
  // A price that is not a number cannot be compared: such an item is no bargain.
  if (!TextScan(priceText).Float(price)) return false;
  return price <= targetPrice && itemMinutes <= triggerMinutes;
}
