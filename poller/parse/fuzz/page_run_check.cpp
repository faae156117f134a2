// The page loop with its checks, shared by the fuzzer and the regression tests.
#include "poller/parse/fuzz/page_run_check.h"

#include <cstdio>
#include <cstring>

#include "poller/parse/result_page.h"

namespace {

long FileSize(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (!file) return -1;
  long size = 0;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) size += static_cast<long>(got);
  std::fclose(file);
  return size;
}

bool Exists(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

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
  if (!TextWithin(item.description, kMaxStagedText, printable, &length) || length == 0) return "bad description";
  if (!TextWithin(item.price, kMaxStagedText, printable, &length) || length < 3) return "bad price length";
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
