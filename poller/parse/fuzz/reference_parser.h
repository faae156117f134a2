// The locator and item parser as first written, kept to check the library's faster ones against.
#pragma once
#include "poller/parse/auction_item.h"

struct ResultPage;

// As LocateResultList, ParseNextItem and PageEnded, reading the page stream with fgets; they
// leave ResultPage::readAhead alone.
void ReferenceLocateResultList(ResultPage& page);
void ReferenceParseNextItem(ResultPage& page, AuctionItem& item);
bool ReferencePageEnded(const ResultPage& page);
