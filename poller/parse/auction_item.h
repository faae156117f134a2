// The current auction item: the poller's one record of the item being handled.
#pragma once
#include <cstdint>

struct AuctionItem {
  char id[64];            // item number from the link; empty: no item
  char description[512];  // title, "&amp;" folded to "&"
  char price[132];        // price as shown, reduced to digits and '.'
  std::int32_t days;
  std::int32_t hours;
  std::int32_t minutes;
  std::int32_t bids;
};

// minutes + 60 * (hours + 24 * days), clamped to the int range.
int ItemMinutes(const AuctionItem& item);
