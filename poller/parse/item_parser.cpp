// The result list locator and the item parser: auction items, one per call, from the
// normalised page.
#include <cstring>

#include "common/text_scan.h"
#include "poller/parse/find_text.h"
#include "poller/parse/result_page.h"

namespace {

constexpr char kRawLinkMarker[] = "ViewItem&item=";
constexpr char kEscapedLinkMarker[] = "ViewItem&amp";
constexpr char kRawEndMarker[] = "<!-- rUreCacheEnd --";
constexpr char kEscapedEndMarker[] = "Save this search";
constexpr char kFeaturedLink[] = "rUreISAPI.dll?Featured";
constexpr char kNumberStart[] = "item=";
constexpr std::size_t kMaxItemNumber = sizeof(AuctionItem::id) - 1;
constexpr int kReadSize = kPageWorkingLineSize - 1;  // a read takes at most 1022 characters

bool ReadPiece(ResultPage& page) {
  if (ReadPagePiece(page, page.workingLine, kReadSize) > 0) return true;
  page.workingLine[0] = '\0';
  return false;
}

// Whether line holds an item link, and which form: one holding both forms is EscapedLinks.
// Both markers begin with "ViewItem&", so one search serves for both.
bool FindLinkStyle(const char* line, PageStyle& style) {
  constexpr std::size_t kStemLength = sizeof "ViewItem&" - 1;
  bool raw = false;
  for (const char* hit = FindText(line, "ViewItem&"); hit; hit = FindText(hit + 1, "ViewItem&")) {
    if (std::strncmp(hit, kEscapedLinkMarker, sizeof kEscapedLinkMarker - 1) == 0) {
      style = PageStyle::EscapedLinks;
      return true;
    }
    raw = raw || std::strncmp(hit + kStemLength, "item=", 5) == 0;
  }
  if (raw) style = PageStyle::RawLinks;
  return raw;
}

// Whether line holds kFeaturedLink. Sought by its '?', which text runs seldom hold, where its
// first letter is common.
bool HoldsFeaturedLink(const char* line) {
  constexpr std::size_t kQuery = sizeof "rUreISAPI.dll" - 1;
  for (const char* query = std::strchr(line, '?'); query; query = std::strchr(query + 1, '?')) {
    if (static_cast<std::size_t>(query - line) >= kQuery &&
        std::strncmp(query - kQuery, kFeaturedLink, sizeof kFeaturedLink - 1) == 0)
      return true;
  }
  return false;
}

void DropBefore(char* line, const char* from) { std::memmove(line, from, std::strlen(from) + 1); }

void CopyCut(char* out, std::string_view text, std::size_t limit) {
  if (text.size() > limit) text = text.substr(0, limit);
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
}

// "<1m" reads as "0h 1m". Where the two extra characters would not fit in the working line
// the '<' alone becomes a blank: " 1m" is still one minute to the state machine and to
// ParseTimeLeft, and nothing of the line is lost.
void ExpandUnderAMinute(char* line) {
  const char* hit = FindText(line, "<1m");
  if (!hit) return;
  const std::size_t length = std::strlen(line);
  char expanded[kPageWorkingLineSize];
  std::size_t out = 0;
  const char* in = line;
  for (; hit; hit = FindText(in, "<1m")) {
    std::memcpy(expanded + out, in, hit - in);
    out += hit - in;
    in = hit + 3;
    const std::size_t rest = length - (in - line);
    if (out + 5 + rest < kPageWorkingLineSize) {
      std::memcpy(expanded + out, "0h 1m", 5);
      out += 5;
    } else {
      std::memcpy(expanded + out, " 1m", 3);
      out += 3;
    }
  }
  const std::size_t rest = length - (in - line);
  std::memcpy(expanded + out, in, rest + 1);
  std::memcpy(line, expanded, out + rest + 1);
}

// What one call gathers for one item; nothing of it outlives the call.
class ItemScan {
 public:
  explicit ItemScan(PageStyle style) : style_(style) {}

  ParseState State() const { return state_; }
  const char* LinkMarker() const { return style_ == PageStyle::RawLinks ? kRawLinkMarker : kEscapedLinkMarker; }
  const char* EndMarker() const { return style_ == PageStyle::RawLinks ? kRawEndMarker : kEscapedEndMarker; }
  std::size_t LinkMarkerLength() const {
    return style_ == PageStyle::RawLinks ? sizeof kRawLinkMarker - 1 : sizeof kEscapedLinkMarker - 1;
  }
  std::size_t EndMarkerLength() const {
    return style_ == PageStyle::RawLinks ? sizeof kRawEndMarker - 1 : sizeof kEscapedEndMarker - 1;
  }

  // Until a number of two characters or more is staged, every link on the way is taken.
  bool WantsNumber() const { return !numberRefused_ && std::strlen(number_) < 2; }
  char* TakeNumber(char* line);
  void Feed(std::string_view run);
  void Finish(AuctionItem& item) const;

 private:
  PageStyle style_;
  ParseState state_ = ParseState::AwaitDescription;
  char number_[kMaxItemNumber + 1] = " ";  // " ": no number read yet
  bool numberRefused_ = false;
  char description_[kPageMaxStagedText + 1] = "";
  char price_[kPageMaxStagedText + 1] = "";
  int bids_ = 0;
  TimeLeft timeLeft_;
};

// Takes the item number from the first link in line and returns where the walk goes on.
char* ItemScan::TakeNumber(char* line) {
  const char* marker = LinkMarker();
  char* start = FindText(line, marker, std::strlen(marker)) + std::strlen(marker);
  if (style_ == PageStyle::EscapedLinks) {
    // The link reads ViewItem&amp;item=...; one without "item=" has no number to give and is
    // passed over.
    char* numberStart = FindText(start, kNumberStart);
    if (!numberStart) return start;
    start = numberStart + std::strlen(kNumberStart);
  }
  char* ampersand = std::strchr(start, '&');
  char* quote = std::strchr(start, '"');
  char* end = !ampersand ? quote : !quote ? ampersand : ampersand < quote ? ampersand : quote;
  // With neither after it, the number ends where an unquoted attribute value would.
  if (!end) end = start + std::strcspn(start, " \t\n\r\f\v'<>");
  const std::size_t length = static_cast<std::size_t>(end - start);
  if (length > kMaxItemNumber) {
    // No real item number is this long, and a cut one would name another item: the item is
    // read to its end but not reported.
    numberRefused_ = true;
  } else {
    CopyCut(number_, std::string_view(start, length), kMaxItemNumber);
  }
  return end;
}

void ItemScan::Feed(std::string_view run) {
  switch (state_) {
    case ParseState::AwaitDescription: {
      if (run.size() <= 3) return;
      // Fold every "&amp;" to "&", also those that a fold brings together ("&amp;amp;").
      char folded[kPageWorkingLineSize];
      std::size_t length = 0;
      for (char c : run.substr(0, sizeof folded - 1)) {
        folded[length++] = c;
        if (c == ';' && length >= 5 && std::memcmp(folded + length - 5, "&amp;", 5) == 0) length -= 4;
      }
      CopyCut(description_, std::string_view(folded, length), kPageMaxStagedText);  // titles are cut
      state_ = ParseState::AwaitPrice;
      return;
    }
    case ParseState::AwaitPrice:
      if (AcceptPrice(run, price_, sizeof price_)) state_ = ParseState::AwaitBids;
      return;
    case ParseState::AwaitBids:
      if (run.front() == '-') {
        bids_ = 0;
        state_ = ParseState::AwaitTimeLeft;
      } else if (run.find('m') != std::string_view::npos) {
        // No bid column: the time left follows the price.
        bids_ = 0;
        timeLeft_ = ParseTimeLeft(run);
        state_ = ParseState::Complete;
      } else if (run.front() >= '0' && run.front() <= '9') {
        ScanPageInt(run, bids_);
        state_ = ParseState::AwaitTimeLeft;
      }
      return;
    case ParseState::AwaitTimeLeft:
      if (run.find('m') != std::string_view::npos) {
        timeLeft_ = ParseTimeLeft(run);
        state_ = ParseState::Complete;
      }
      return;
    case ParseState::Complete:
      return;
  }
}

void ItemScan::Finish(AuctionItem& item) const {
  // An item whose link gave no usable number is not reported: the record stays untouched.
  if (numberRefused_ || number_[0] == '\0') return;
  std::strcpy(item.description, description_);
  item.days = timeLeft_.days;
  item.hours = timeLeft_.hours;
  item.minutes = timeLeft_.minutes;
  std::strcpy(item.id, number_);
  std::strcpy(item.price, price_);
  item.bids = bids_;
}

}  // namespace

bool PageEnded(const ResultPage& page) {
  // A read error ends the page too: no later read would give anything.
  if (!page.stream || std::ferror(page.stream)) return true;
  // The stream itself has met its end as soon as the last block was read ahead.
  if (page.readAhead.owner == page.stream) return page.readAhead.ended;
  return std::feof(page.stream) != 0;
}

void ClosePage(ResultPage& page) {
  if (page.stream) std::fclose(page.stream);
  page.stream = nullptr;
  page.readAhead.owner = nullptr;  // a stream opened next may have the same address
  page.workingLine[0] = '\0';
}

void LocateResultList(ResultPage& page) {
  static const char* const kListStarts[] = {"<!-- rUreCacheStart --", "<!--End More On --", "ViewItem",
                                            "form.submit", "function doFormSubmit"};
  page.workingLine[0] = '\0';
  while (!PageEnded(page) && ReadPiece(page)) {
    for (const char* start : kListStarts) {
      if (FindText(page.workingLine, start, std::strlen(start))) return;  // the line stays for the parser
    }
  }
}

void ParseNextItem(ResultPage& page, AuctionItem& item) {
  if (PageEnded(page)) return;
  char* const line = page.workingLine;

  // The line that holds the item's link decides the layout.
  PageStyle style;
  while (!FindLinkStyle(line, style)) {
    if (!ReadPiece(page)) return;
  }
  ItemScan scan(style);

  for (;;) {
    if (scan.State() == ParseState::AwaitDescription) {
      // The list has ended before this item got a title. The next call looks on after the
      // end marker, so a line that also holds a link is not met again and again.
      if (const char* end = FindText(line, scan.EndMarker(), scan.EndMarkerLength())) {
        DropBefore(line, end + std::strlen(scan.EndMarker()));
        return;
      }
    }
    CleanEntities(line);
    ExpandUnderAMinute(line);

    // Walk the tags of the line: each step drops what it has read from the front.
    const char* marker = scan.LinkMarker();
    const std::size_t markerLength = scan.LinkMarkerLength();
    char* rest = line;
    while (char* close = std::strchr(rest, '>')) {
      char* open = std::strchr(close + 1, '<');
      if (!open) break;
      if (scan.WantsNumber() && FindText(rest, marker, markerLength)) {
        rest = scan.TakeNumber(rest);
      } else if (open == close + 1) {
        rest = open + 1;
      } else {
        scan.Feed(std::string_view(close + 1, static_cast<std::size_t>(open - close - 1)));
        rest = open;
        if (scan.State() == ParseState::Complete) {
          DropBefore(line, rest);  // the next call starts with the rest of this line
          scan.Finish(item);
          return;
        }
      }
    }

    if (!ReadPiece(page)) return;
    if (scan.State() == ParseState::AwaitDescription && HoldsFeaturedLink(line) &&
        !FindText(line, marker, markerLength)) {
      // A featured-item link stands between the item's link and its title: skip to the
      // next line with an item link (it belongs to the same item).
      do {
        if (!ReadPiece(page)) return;
      } while (!FindText(line, marker, markerLength));
    }
  }
}
