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

// Normalises pageFile twice, once with NormaliseResultPage and once with its two passes run
// one after the other over the intermediate file, and compares the two normalised pages byte
// for byte. Returns what differs, or an empty string. pageFile is not "temphtml.html", which
// each run replaces.
std::string CheckNormaliserAgainstPasses(const char* pageFile);

// Runs the page loop over pageFile (normalised first in Normalised mode) with the library's
// locator and parser and, beside it on a second stream, with the reference ones, and compares
// after every call whether the page has ended, the record and the working line. Returns the
// first difference, or an empty string. pageFile is not "temphtml.html".
std::string CheckParserAgainstReference(const char* pageFile, PageRunMode mode);

// The entity rules done literally: after every change the search starts again from the start.
void ReferenceCleanEntities(char* line);

// One item as a line of an .expected file: id, description, price, bids, days, hours, minutes,
// separated by tabs.
std::string FormatItem(const AuctionItem& item);
