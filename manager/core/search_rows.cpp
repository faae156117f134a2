// Search list row texts.
#include "manager/core/search_rows.h"

#include <cstdarg>
#include <cstdio>

#include "common/text_scan.h"

namespace {

constexpr std::size_t kUnreadableShown = 120;

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...) {
  char row[kSearchLineSize + 256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(row, sizeof row, format, args);
  va_end(args);
  return row;
}

}  // namespace

std::string FormatUnreadableRow(const char* line) {
  std::string text(line);
  for (char& c : text)
    if (c == '\t') c = ' ';
  if (text.find_first_not_of(' ') == std::string::npos) return "(empty line)";
  if (text.size() > kUnreadableShown) text = text.substr(0, kUnreadableShown) + "...";
  return "(unreadable line) " + text;
}

std::string FormatLoadedRow(const char* line) {
  SavedSearch search{};
  if (!ParseSavedSearch(line, search)) return FormatUnreadableRow(line);
  return Printf("%s\t%.2f\t%d\t%d\t%d", search.description, static_cast<double>(search.price), search.days,
                search.hours, search.minutes);
}

std::string FormatAddedRow(const SearchTexts& t) {
  return Printf("%s\t%s\t%s\t%s\t%s", t.description, t.price, t.days, t.hours, t.minutes);
}

std::string FormatChangedRow(const char* line) {
  SearchTexts texts{};
  float price = 0;
  if (!ParseSearchTexts(line, texts) || !TextScan(texts.price).Float(price)) return FormatUnreadableRow(line);
  return Printf("%s\t%.2f\t%s\t%s\t%s", texts.description, static_cast<double>(price), texts.days, texts.hours,
                texts.minutes);
}
