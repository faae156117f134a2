// Rows of the bargain history dialog: every alert the poller kept, the newest first, each
// column cut to its width, and the filter that narrows them.
#pragma once
#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "common/alert_history.h"

constexpr int kHistoryColumns = 8;  // when, search, item, description, price, time left, target, answer
// Where each column after the first starts, in dialog units from the list's left edge.
constexpr int kHistoryListTabStops[kHistoryColumns - 1] = {66, 146, 190, 330, 370, 420, 456};
// Blank pixels left at the end of each column, so that a cut text never touches the next one.
constexpr int kHistoryColumnGap = 6;
// The ellipsis of the ANSI code page, after a cut text.
constexpr char kHistoryEllipsis = '\x85';

// How wide each byte is drawn in the list's font, in pixels.
using CharWidths = std::array<int, 256>;

// text whole when it is no wider than width; else the longest beginning that is, with the
// ellipsis, and only the ellipsis when not even one byte fits.
std::string CutToWidth(const std::string& text, int width, const CharWidths& widths);

// "2d 5h 17m", "5h 17m", "17m": the time left, without the leading units that are zero.
std::string FormatTimeLeft(int days, int hours, int minutes);

// "View Now", "View Later", "View Never", "Pop-ups off", "Unanswered".
const char* AnswerText(AlertAnswer answer);

// "Blocked until MM/DD/YY", the last day of a block, in the local calendar.
std::string FormatBlockedUntil(const std::tm& localEnd);

// The history's rows, built once when the dialog opens. Row 0 is the newest alert: the
// entries in reverse file order, since their dates alone do not sort across years.
class HistoryTable {
 public:
  // entries in file order; columnWidths in pixels, each column's whole width.
  HistoryTable(std::vector<AlertHistoryEntry> entries, const std::array<int, kHistoryColumns>& columnWidths,
               const CharWidths& widths);

  std::size_t Size() const { return entries_.size(); }
  const AlertHistoryEntry& Entry(std::size_t row) const { return entries_[row]; }
  // The columns joined by tabs, each cut to its width.
  const std::string& Text(std::size_t row) const { return texts_[row]; }

  // The rows whose search or description holds filter, whatever the letters' case, newest
  // first; every row for an empty filter.
  std::vector<std::size_t> Filter(const std::string& filter) const;

 private:
  std::vector<AlertHistoryEntry> entries_;
  std::vector<std::string> texts_;
  // Each row's search and description in lower case, a line end between them so that no
  // filter matches across the two.
  std::vector<std::string> folded_;
};

// The bytes of the ANSI code page in lower case: ASCII and the accented letters alike.
std::string FoldCase(const std::string& text);
