// The page loop with its checks, shared by the fuzzer and the regression tests.
#include "poller/parse/fuzz/page_run_check.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/file_rewrite.h"
#include "common/unique_file.h"
#include "poller/parse/fuzz/reference_parser.h"
#include "poller/parse/result_page.h"

namespace {

long FileSize(const char* name) {
  std::string bytes;
  return ReadAllBytes(name, bytes) ? static_cast<long>(bytes.size()) : -1;
}

bool Exists(const char* name) { return UniqueFile(std::fopen(name, "rb")) != nullptr; }

// A field's text ends inside its limit and, from a normalised page, holds printable
// characters only.
bool TextWithin(const char* text, std::size_t limit, bool printable, std::size_t* length) {
  const void* end = std::memchr(text, '\0', limit + 1);
  if (!end) return false;
  *length = static_cast<std::size_t>(static_cast<const char*>(end) - text);
  for (std::size_t i = 0; printable && i < *length; ++i) {
    if (text[i] < 0x20 || text[i] > 0x7E) return false;
  }
  return true;
}

std::string CheckItem(const AuctionItem& item, bool printable) {
  std::size_t length = 0;
  if (!TextWithin(item.id, sizeof item.id - 1, printable, &length)) return "bad id";
  if (!TextWithin(item.description, kPageMaxStagedText, printable, &length) || length == 0) return "bad description";
  if (!TextWithin(item.price, kPageMaxStagedText, printable, &length) || length < 3) return "bad price length";
  if (std::strspn(item.price, "0123456789.") != length) return "price not digits and points";
  return {};
}

void Fill(AuctionItem& item) {
  std::memset(&item, 0x5A, sizeof item);
  item.id[0] = '\0';
}

}  // namespace

std::string CheckPageRun(const char* pageFile, PageRunMode mode, std::vector<AuctionItem>* items) {
  const long pageSize = FileSize(pageFile);
  if (pageSize < 0) return std::string("cannot read ") + pageFile;
  ResultPage page;
  page.stream = std::fopen(pageFile, "r");
  if (!page.stream) return std::string("cannot open ") + pageFile;
  if (mode == PageRunMode::Normalised) {
    NormaliseResultPage(page);
    if (Exists("temphtml.txt")) return "temphtml.txt left behind";
    if (!page.stream) return "no stream on the normalised page";
  }
  LocateResultList(page);

  // Every call consumes at least one character of the page, which normalising at most doubles
  // and "<1m" lengthens by two thirds.
  const long maxCalls = 4 * pageSize + 16;
  long calls = 0;
  std::string failure;
  AuctionItem item;
  while (!PageEnded(page)) {
    if (++calls > maxCalls) {
      failure = "the page loop does not end";
      break;
    }
    Fill(item);
    AuctionItem before = item;
    ParseNextItem(page, item);
    if (std::memchr(page.workingLine, '\0', sizeof page.workingLine) == nullptr) {
      failure = "working line not terminated";
      break;
    }
    if (item.id[0] == '\0') {
      if (std::memcmp(&before, &item, sizeof item) != 0) {
        failure = "record written without an item";
        break;
      }
      continue;
    }
    failure = CheckItem(item, mode == PageRunMode::Normalised);
    if (!failure.empty()) break;
    if (items) items->push_back(item);
  }
  ClosePage(page);
  return failure;
}

namespace {

// The normalised page that page (open on pageFile) turns into, read back in binary.
std::string Normalised(const char* pageFile, bool twoPasses) {
  ResultPage page;
  page.stream = std::fopen(pageFile, "r");
  if (!page.stream) return "(cannot open)";
  if (twoPasses) {
    EntityPass(page);
    TagBreakPass(page);
  } else {
    NormaliseResultPage(page);
  }
  if (!page.stream) return "(no stream)";
  ClosePage(page);
  std::string text;
  return ReadAllBytes("temphtml.html", text) ? text : "(no temphtml.html)";
}

}  // namespace

std::string CheckNormaliserAgainstPasses(const char* pageFile) {
  const std::string passes = Normalised(pageFile, true);
  const std::string merged = Normalised(pageFile, false);
  if (passes == merged) return {};
  std::size_t at = 0;
  while (at < passes.size() && at < merged.size() && passes[at] == merged[at]) ++at;
  return "normalised pages differ at byte " + std::to_string(at) + " of " + std::to_string(passes.size()) +
         " (two passes) and " + std::to_string(merged.size()) + " (merged)";
}

std::string CheckParserAgainstReference(const char* pageFile, PageRunMode mode) {
  const char* parsed = pageFile;
  if (mode == PageRunMode::Normalised) {
    ResultPage page;
    page.stream = std::fopen(pageFile, "r");
    NormaliseResultPage(page);
    if (!page.stream) return "no stream on the normalised page";
    ClosePage(page);
    parsed = "temphtml.html";
  }
  const long maxCalls = 4 * FileSize(parsed) + 16;
  ResultPage page;
  ResultPage reference;
  page.stream = std::fopen(parsed, "r");
  reference.stream = std::fopen(parsed, "r");
  std::string failure;
  if (!page.stream || !reference.stream) failure = "cannot open the page twice";
  if (failure.empty()) {
    LocateResultList(page);
    ReferenceLocateResultList(reference);
    if (std::strcmp(page.workingLine, reference.workingLine) != 0) failure = "located at another line";
  }
  AuctionItem item;
  AuctionItem expected;
  for (long call = 1; failure.empty(); ++call) {
    const bool ended = PageEnded(page);
    if (ended != ReferencePageEnded(reference)) {
      failure = "the page ends at another call";
    } else if (ended) {
      break;
    } else if (call > maxCalls) {
      failure = "the page loop does not end";
    } else {
      Fill(item);
      Fill(expected);
      ParseNextItem(page, item);
      ReferenceParseNextItem(reference, expected);
      if (std::memcmp(&item, &expected, sizeof item) != 0) {
        failure = "call " + std::to_string(call) + ": item " + FormatItem(item) + " where the reference gives " +
                  FormatItem(expected);
      } else if (std::strcmp(page.workingLine, reference.workingLine) != 0) {
        failure = "call " + std::to_string(call) + ": working line \"" + page.workingLine +
                  "\" where the reference has \"" + reference.workingLine + "\"";
      }
    }
  }
  ClosePage(page);
  if (reference.stream) std::fclose(reference.stream);
  return failure;
}

void ReferenceCleanEntities(char* line) {
  char* hit;
  while ((hit = std::strstr(line, "<wbr>"))) std::memmove(hit, hit + 5, std::strlen(hit + 5) + 1);
  while ((hit = std::strstr(line, "&#39;"))) {
    *hit = '\'';
    std::memmove(hit + 1, hit + 5, std::strlen(hit + 5) + 1);
  }
  while ((hit = std::strstr(line, "&quot;"))) {
    *hit = '"';
    std::memmove(hit + 1, hit + 6, std::strlen(hit + 6) + 1);
  }
  while ((hit = std::strstr(line, "&#"))) {
    char* semicolon = std::strchr(hit, ';');
    if (!semicolon) break;
    std::memmove(hit, semicolon + 1, std::strlen(semicolon + 1) + 1);
  }
}

std::string FormatItem(const AuctionItem& item) {
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "\t%d\t%d\t%d\t%d", item.bids, item.days, item.hours, item.minutes);
  return std::string(item.id) + "\t" + item.description + "\t" + item.price + numbers;
}
