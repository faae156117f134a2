// Result page parsing: the normaliser, the result list locator and the item parser.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string_view>

#include "poller/parse/auction_item.h"

constexpr int kPageWorkingLineSize = 1024;
constexpr std::size_t kPageReadAheadSize = 1 << 14;

// The page stream and the working line, shared by the normaliser, the locator and the parser.
struct ResultPage {
  std::FILE* stream = nullptr;  // opened by the caller on the working page file (text mode, "r")
  char workingLine[kPageWorkingLineSize] = {};

  // What ReadPagePiece has read ahead of the stream; it belongs to the stream named by owner
  // and starts afresh whenever stream is another.
  struct ReadAhead {
    const std::FILE* owner = nullptr;
    std::size_t begin = 0;
    std::size_t end = 0;
    bool ended = false;  // a piece read has met the end of the stream
    char bytes[kPageReadAheadSize];
  } readAhead;
};

// Reads the next piece of the page stream into line as fgets(line, size, stream) would: up to
// and including a line break, at most size - 1 characters, then a NUL. Returns how many
// characters it stored; 0 when the page has ended (line untouched).
std::size_t ReadPagePiece(ResultPage& page, char* line, std::size_t size);

// Which layout the item being parsed uses, told by how its link is written.
enum class PageStyle { RawLinks = 0, EscapedLinks = 1 };

// Where one item stands in the field order title, price, bids, time left.
enum class ParseState { AwaitDescription = 0, AwaitPrice = 1, AwaitBids = 2, AwaitTimeLeft = 3, Complete = 4 };

// Longest staged text (title, price, bid and time-left text) the parser keeps.
constexpr std::size_t kPageMaxStagedText = 127;

// Normaliser. The files are "temphtml.txt" and "temphtml.html" in the current folder.
void CleanEntities(char* line);
void EntityPass(ResultPage& page);
void TagBreakPass(ResultPage& page);
void NormaliseResultPage(ResultPage& page);

// Locator and item parser.
void LocateResultList(ResultPage& page);
void ParseNextItem(ResultPage& page, AuctionItem& item);  // fills item only when complete
bool PageEnded(const ResultPage& page);
void ClosePage(ResultPage& page);

// Field rules of the parser.
// Reduces a price text to digits and '.'; false (price untouched) when it is no price or
// longer than size - 1 once reduced.
bool AcceptPrice(std::string_view run, char* price, std::size_t size);

struct TimeLeft {
  int days = 0;
  int hours = 0;
  int minutes = 0;
};
TimeLeft ParseTimeLeft(std::string_view text);
