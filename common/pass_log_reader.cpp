// Pass log reader: line kinds, item and last-search lines, and the alert marks.
#include "common/pass_log_reader.h"

#include <cstring>

#include "common/search_list.h"
#include "common/text_scan.h"

namespace {

constexpr std::size_t kWordSize = 64;  // date and time words; longer ones are cut

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// Skips blanks, then expects the label; sscanf's " Price:" in the item tail does the same.
bool Label(const char*& cursor, const char* label) {
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  if (!StartsWith(cursor, label)) return false;
  cursor += std::strlen(label);
  return true;
}

bool Int(const char*& cursor, int& out) {
  TextScan scan(cursor);
  if (!scan.Int(out)) return false;
  cursor = scan.Rest();
  return true;
}

// "Bids:%d Price:%f Days:%d Hours:%d Minutes:%d" from cursor on, into out.
bool ParseItemTail(const char* cursor, LoggedItem& out) {
  LoggedItem read;
  if (!Label(cursor, "Bids:") || !Int(cursor, read.bids)) return false;
  if (!Label(cursor, "Price:")) return false;
  TextScan price(cursor);
  if (!price.Float(read.price)) return false;
  cursor = price.Rest();
  if (!Label(cursor, "Days:") || !Int(cursor, read.days)) return false;
  if (!Label(cursor, "Hours:") || !Int(cursor, read.hours)) return false;
  if (!Label(cursor, "Minutes:") || !Int(cursor, read.minutes)) return false;
  out.bids = read.bids;
  out.price = read.price;
  out.days = read.days;
  out.hours = read.hours;
  out.minutes = read.minutes;
  return true;
}

}  // namespace

PassLogLineKind ClassifyPassLogLine(const char* line) {
  if (StartsWith(line, "ID:")) return PassLogLineKind::Item;
  if (StartsWith(line, "Last Search:")) return PassLogLineKind::LastSearch;
  if (StartsWith(line, "RURE LOTWISE ALERT")) return PassLogLineKind::Alert;
  if (StartsWith(line, "DESCRIPTION:")) return PassLogLineKind::Search;
  return PassLogLineKind::Other;
}

bool ParseItemLine(const char* line, LoggedItem& out) {
  if (!StartsWith(line, "ID:")) return false;
  const char* cursor = line + 3;
  while (*cursor == ' ' || *cursor == '\t') ++cursor;
  const char* idEnd = cursor;
  while (*idEnd && *idEnd != ' ' && *idEnd != '\t') ++idEnd;
  if (idEnd == cursor) return false;

  const char* descript = std::strstr(idEnd, "Descript:");
  if (!descript) return false;
  const char* description = descript + std::strlen("Descript:");

  // The description ends at the "Bids:" of the line's tail. Searching from the right, the
  // first "Bids:" whose whole tail scans is that one, so a title holding "Bids:" stays whole.
  const std::string text(description);
  LoggedItem item;
  for (std::size_t bids = text.rfind("Bids:"); bids != std::string::npos;
       bids = bids == 0 ? std::string::npos : text.rfind("Bids:", bids - 1)) {
    if (!ParseItemTail(description + bids, item)) continue;
    item.id.assign(cursor, idEnd);
    item.description = text.substr(0, bids < kLoggedDescriptionLength ? bids : kLoggedDescriptionLength);
    item.alerted = out.alerted;
    out = item;
    return true;
  }
  return false;
}

bool ParseLastSearchLine(const char* line, std::string& dateTime) {
  if (!StartsWith(line, "Last Search:")) return false;
  TextScan scan(line + std::strlen("Last Search:"));
  char date[kWordSize];
  char time[kWordSize];
  if (!scan.Word(date, sizeof date) || !scan.Word(time, sizeof time)) return false;
  dateTime = std::string(date) + " " + time;
  return true;
}

bool ReadPassLog(std::FILE* log, PassLogContents& out) {
  out = PassLogContents();
  if (!log) return false;
  bool alert = false;
  std::string line;
  bool hadLineEnd = false;
  while (ReadFileLine(log, kPassLogLineCap, line, &hadLineEnd) && hadLineEnd) {
    switch (ClassifyPassLogLine(line.c_str())) {
      case PassLogLineKind::Item: {
        LoggedItem item;
        item.alerted = alert;
        if (ParseItemLine(line.c_str(), item)) out.items.push_back(item);
        // The alert belonged to this line, whether or not it could be read.
        alert = false;
        break;
      }
      case PassLogLineKind::LastSearch: {
        std::string dateTime;
        if (ParseLastSearchLine(line.c_str(), dateTime)) out.lastSearch = dateTime;
        break;
      }
      case PassLogLineKind::Alert:
        alert = true;
        break;
      case PassLogLineKind::Search:
      case PassLogLineKind::Other:
        break;
    }
  }
  return true;
}
