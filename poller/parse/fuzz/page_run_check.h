// Runs the poller's page loop over one page file and checks what must hold for any input.
#pragma once
#include <string>
#include <vector>

#include "poller/parse/auction_item.h"

enum class PageRunMode { Normalised, Raw };  // Raw: the parser reads the page as it stands

// Opens pageFile as the polling loop does, normalises it (Normalised), locates the list and
// calls the parser until the page ends. Checks that every item's fields stay within their
// sizes, that a call without an item leaves the record untouched, that no intermediate file is
// left, and that the number of calls stays within what the page's length allows. Returns what
// went wrong, or an empty string; the items found go to items.
std::string CheckPageRun(const char* pageFile, PageRunMode mode, std::vector<AuctionItem>* items = nullptr);

// The entity rules done literally: after every change the search starts again from the start.
void ReferenceCleanEntities(char* line);

// One item as a line of an .expected file: id, description, price, bids, days, hours, minutes,
// separated by tabs.
std::string FormatItem(const AuctionItem& item);
