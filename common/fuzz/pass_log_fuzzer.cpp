// libFuzzer target: any bytes as a pass log through the manager's reader, and passes written
// with the poller's line writers read back field for field.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/fuzz/fuzz_support.h"
#include "common/pass_log.h"
#include "common/pass_log_reader.h"

namespace {

std::FILE* OpenBytes(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  if (!file) FuzzFail("tmpfile", "");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

std::string ItemText(const LoggedItem& item) {
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, " bids %d price %.9g days %d hours %d minutes %d alerted %d", item.bids,
                static_cast<double>(item.price), item.days, item.hours, item.minutes, item.alerted ? 1 : 0);
  return Escaped(item.id) + " | " + Escaped(item.description) + numbers;
}

bool SameItem(const LoggedItem& a, const LoggedItem& b) {
  return a.id == b.id && a.description == b.description && a.bids == b.bids && a.price == b.price &&
         a.days == b.days && a.hours == b.hours && a.minutes == b.minutes && a.alerted == b.alerted;
}

// An item read from any line, written again by the poller's writer, reads back the same:
// the description as far as the reader keeps it, padded with the writer's blanks.
void CheckRewrittenItem(const LoggedItem& item) {
  if (item.id.empty() || item.id.find_first_of(" \t") != std::string::npos || item.id.find('\0') != std::string::npos)
    FuzzFail("item id", "not one word: " + ItemText(item));
  if (item.description.size() > kLoggedDescriptionLength) FuzzFail("item description", "over 45 bytes");
  if (std::isnan(item.price) || std::isinf(item.price)) FuzzFail("item price", "not a finite number");
  char price[64];
  std::snprintf(price, sizeof price, "%.9g", static_cast<double>(item.price));
  std::FILE* log = std::tmpfile();
  WriteItemLine(log, item.id.c_str(), item.description.c_str(), item.bids, price, item.days, item.hours, item.minutes);
  std::rewind(log);
  PassLogContents again;
  ReadPassLog(log, again);
  std::fclose(log);
  LoggedItem want = item;
  want.alerted = false;
  want.description.resize(kLoggedDescriptionLength, ' ');
  if (again.items.size() != 1 || !SameItem(again.items[0], want))
    FuzzFail("item written again", ItemText(item) + " | read " + (again.items.empty() ? "nothing" : ItemText(again.items[0])));
}

// The reader on any bytes: the alert marks and the last search time follow the plain rules,
// items only come from whole "ID:" lines, and every item survives being written again.
void CheckAnyLog(const std::string& bytes) {
  std::vector<std::string> wholeLines;  // the lines with their line end; a final fragment is left out
  for (std::size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    wholeLines.push_back(bytes.substr(start, end - start));

  std::FILE* file = OpenBytes(bytes);
  PassLogContents contents;
  if (!ReadPassLog(file, contents)) FuzzFail("ReadPassLog", "refused an open file");
  std::fclose(file);

  std::size_t next = 0;
  bool alert = false;
  std::string lastSearch;
  for (const std::string& whole : wholeLines) {
    const char* line = whole.c_str();  // up to its first NUL, as the reader takes it
    const std::string text(line);
    if (StartsWith(text, "ID:")) {
      LoggedItem item;
      item.alerted = alert;
      if (ParseItemLine(line, item)) {
        if (next >= contents.items.size() || !SameItem(contents.items[next], item))
          FuzzFail("ReadPassLog", "item " + std::to_string(next) + " of line " + Escaped(text));
        ++next;
      }
      alert = false;
    } else if (StartsWith(text, "Last Search:")) {
      std::string dateTime;
      if (ParseLastSearchLine(line, dateTime)) lastSearch = dateTime;
    } else if (StartsWith(text, "RURE LOTWISE ALERT")) {
      alert = true;
    }
  }
  if (next != contents.items.size()) FuzzFail("ReadPassLog", "items from nowhere");
  if (contents.lastSearch != lastSearch) FuzzFail("ReadPassLog", "last search " + Escaped(contents.lastSearch));
  for (const LoggedItem& item : contents.items) CheckRewrittenItem(item);
}

// Text of at most maxLength bytes without the bytes in dropped (and never a NUL).
std::string Text(FuzzedDataProvider& provider, std::size_t maxLength, const char* dropped, const char* empty) {
  std::string kept;
  for (char c : provider.ConsumeRandomLengthString(maxLength))
    if (c != '\0' && !std::strchr(dropped, c)) kept += c;
  return kept.empty() ? std::string(empty) : kept;
}

// A price as the parser stores it: digits, perhaps a point and more digits.
std::string PriceText(FuzzedDataProvider& provider) {
  std::string price = std::to_string(provider.ConsumeIntegralInRange<std::uint32_t>(0, 99999999));
  const int decimals = provider.ConsumeIntegralInRange(-1, 3);
  if (decimals >= 0) price += '.' + std::to_string(provider.ConsumeIntegralInRange(0, 999)).substr(0, decimals);
  return price;
}

// Writes an item line of fuzzed fields; returns the item the reader must make of it.
LoggedItem WriteItem(FuzzedDataProvider& provider, std::FILE* log, bool alerted) {
  LoggedItem item;
  item.id = Text(provider, 80, " \t\n", "1");
  const std::string description = Text(provider, 300, "\n", "");
  const std::string price = PriceText(provider);
  item.bids = provider.ConsumeIntegral<int>();
  item.days = provider.ConsumeIntegral<int>();
  item.hours = provider.ConsumeIntegral<int>();
  item.minutes = provider.ConsumeIntegral<int>();
  WriteItemLine(log, item.id.c_str(), description.c_str(), item.bids, price.c_str(), item.days, item.hours,
                item.minutes);
  item.price = std::strtof(price.c_str(), nullptr);
  // The field is padded to 50 and followed by one blank; the reader keeps 45 bytes of that.
  item.description = description;
  if (item.description.size() < 50) item.description.resize(50, ' ');
  item.description = (item.description + ' ').substr(0, kLoggedDescriptionLength);
  item.alerted = alerted;
  return item;
}

// A pass written with the poller's writers reads back as it was written.
void CheckWrittenPass(FuzzedDataProvider& provider) {
  std::FILE* log = std::tmpfile();
  std::vector<LoggedItem> want;
  std::string wantLastSearch;
  WriteVersionLine(log);
  const int lines = provider.ConsumeIntegralInRange(0, 24);
  for (int i = 0; i < lines && provider.remaining_bytes() > 0; ++i) {
    switch (provider.ConsumeIntegralInRange(0, 5)) {
      case 0: {
        std::tm t{};
        t.tm_mon = provider.ConsumeIntegralInRange(0, 11);
        t.tm_mday = provider.ConsumeIntegralInRange(1, 31);
        t.tm_year = provider.ConsumeIntegralInRange(70, 199);
        t.tm_hour = provider.ConsumeIntegralInRange(0, 23);
        t.tm_min = provider.ConsumeIntegralInRange(0, 59);
        t.tm_sec = provider.ConsumeIntegralInRange(0, 60);
        WriteLastSearchLine(log, t);
        char dateTime[32];
        std::snprintf(dateTime, sizeof dateTime, "%02d/%02d/%02d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday,
                      (t.tm_year + 1900) % 100, t.tm_hour, t.tm_min, t.tm_sec);
        wantLastSearch = dateTime;
        break;
      }
      case 1:
        WriteSearchLine(log, Text(provider, 160, "\n", "search").c_str(), provider.ConsumeIntegral<int>(),
                        provider.ConsumeFloatingPointInRange<float>(0, 1e6f));
        break;
      case 2:
        WriteNoBlockfileLine(log);
        break;
      case 3:
        WriteAlertLine(log, provider.ConsumeIntegral<int>(), provider.ConsumeIntegral<int>(), 1.5f, 2.5f);
        if (provider.ConsumeBool()) WriteNoBlockfileLine(log);  // the alert still marks the next item
        want.push_back(WriteItem(provider, log, true));
        break;
      case 4:
        want.push_back(WriteItem(provider, log, false));
        break;
      default:
        WritePageClosedLine(log);
        break;
    }
  }
  WriteListClosedLine(log, "lotwise2.ini");
  std::rewind(log);
  PassLogContents contents;
  ReadPassLog(log, contents);
  std::fclose(log);
  if (contents.items.size() != want.size()) FuzzFail("written pass", "items read back: " + std::to_string(contents.items.size()));
  for (std::size_t i = 0; i < want.size(); ++i)
    if (!SameItem(contents.items[i], want[i]))
      FuzzFail("written pass", ItemText(want[i]) + " | read " + ItemText(contents.items[i]));
  if (contents.lastSearch != wantLastSearch) FuzzFail("written pass", "last search " + contents.lastSearch);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckAnyLog(std::string(reinterpret_cast<const char*>(data), size));
  FuzzedDataProvider provider(data, size);
  CheckWrittenPass(provider);
  return 0;
}
