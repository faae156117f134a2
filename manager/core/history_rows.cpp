// Bargain history rows: the column texts, their cut, and the filter.
#include "manager/core/history_rows.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// Windows-1252's lower case of each byte: A-Z, the accented capitals from 0xC0 (0xD7 is the
// multiplication sign) and the four capitals between 0x80 and 0x9F.
struct FoldTable {
  std::array<char, 256> lower{};
  FoldTable() {
    for (int c = 0; c < 256; ++c) lower[c] = static_cast<char>(c);
    for (int c = 'A'; c <= 'Z'; ++c) lower[c] = static_cast<char>(c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) lower[c] = static_cast<char>(c + 32);
    lower[0x8A] = '\x9A';  // S with caron
    lower[0x8C] = '\x9C';  // OE
    lower[0x8E] = '\x9E';  // Z with caron
    lower[0x9F] = '\xFF';  // Y with diaeresis
  }
};
const FoldTable kFold;

int Width(unsigned char c, const CharWidths& widths) { return widths[c]; }

std::string FormatTarget(float price) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(price));
  return text;
}

}  // namespace

std::string CutToWidth(const std::string& text, int width, const CharWidths& widths) {
  int total = 0;
  for (char c : text) total += Width(static_cast<unsigned char>(c), widths);
  if (total <= width) return text;
  const int room = width - Width(static_cast<unsigned char>(kHistoryEllipsis), widths);
  std::size_t kept = 0;
  for (int used = 0; kept < text.size(); ++kept) {
    used += Width(static_cast<unsigned char>(text[kept]), widths);
    if (used > room) break;
  }
  return text.substr(0, kept) + kHistoryEllipsis;
}

std::string FormatTimeLeft(int days, int hours, int minutes) {
  char text[48];
  if (days != 0) {
    std::snprintf(text, sizeof text, "%dd %dh %dm", days, hours, minutes);
  } else if (hours != 0) {
    std::snprintf(text, sizeof text, "%dh %dm", hours, minutes);
  } else {
    std::snprintf(text, sizeof text, "%dm", minutes);
  }
  return text;
}

const char* AnswerText(AlertAnswer answer) {
  switch (answer) {
    case AlertAnswer::Now:
      return "View Now";
    case AlertAnswer::Later:
      return "View Later";
    case AlertAnswer::Never:
      return "View Never";
    case AlertAnswer::None:
      return "Pop-ups off";
    case AlertAnswer::Unanswered:
      break;
  }
  return "Unanswered";
}

std::string FormatBlockedUntil(const std::tm& localEnd) {
  char text[48];
  std::snprintf(text, sizeof text, "Blocked until %02d/%02d/%02d", localEnd.tm_mon + 1, localEnd.tm_mday,
                (localEnd.tm_year % 100 + 100) % 100);
  return text;
}

std::string FoldCase(const std::string& text) {
  std::string folded(text);
  for (char& c : folded) c = kFold.lower[static_cast<unsigned char>(c)];
  return folded;
}

HistoryTable::HistoryTable(std::vector<AlertHistoryEntry> entries,
                           const std::array<int, kHistoryColumns>& columnWidths, const CharWidths& widths)
    : entries_(std::move(entries)) {
  std::reverse(entries_.begin(), entries_.end());
  texts_.reserve(entries_.size());
  folded_.reserve(entries_.size());
  for (const AlertHistoryEntry& entry : entries_) {
    const std::string columns[kHistoryColumns] = {entry.raised,
                                                  entry.searchDescription,
                                                  entry.id,
                                                  entry.description,
                                                  entry.price,
                                                  FormatTimeLeft(entry.days, entry.hours, entry.minutes),
                                                  FormatTarget(entry.targetPrice),
                                                  AnswerText(entry.answer)};
    std::string text;
    for (int column = 0; column < kHistoryColumns; ++column) {
      if (column > 0) text += '\t';
      text += CutToWidth(columns[column], columnWidths[column] - kHistoryColumnGap, widths);
    }
    texts_.push_back(std::move(text));
    folded_.push_back(FoldCase(entry.searchDescription + '\n' + entry.description));
  }
}

std::vector<std::size_t> HistoryTable::Filter(const std::string& filter) const {
  const std::string wanted = FoldCase(filter);
  std::vector<std::size_t> rows;
  rows.reserve(entries_.size());
  for (std::size_t row = 0; row < entries_.size(); ++row)
    if (folded_[row].find(wanted) != std::string::npos) rows.push_back(row);
  return rows;
}
