// Bargain history lines: the writer's cleaned fields and the strict reading of each line.
#include "common/alert_history.h"

#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "common/search_list.h"
#include "common/text_scan.h"

static_assert(kAlertHistorySearchLength == kSearchDescriptionSize - 1, "a saved search's description is kept whole");

namespace {

constexpr int kAlertHistoryFields = 10;
constexpr const char* kAnswerWords[] = {"now", "later", "never", "none", "unanswered"};

// Cut to length, with every byte that would split the line or end a C string made a blank.
std::string Cleaned(const std::string& text, std::size_t length) {
  std::string field = text.substr(0, length);
  for (char& c : field) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return field;
}

std::string FormatTarget(float price) {
  char text[64];  // "%.2f" of -FLT_MAX takes 43
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(price));
  return text;
}

// Two digits from text[at], within low..high.
bool TwoDigits(std::string_view text, std::size_t at, int low, int high) {
  const char tens = text[at];
  const char ones = text[at + 1];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return false;
  const int value = (tens - '0') * 10 + (ones - '0');
  return value >= low && value <= high;
}

// "MM/DD/YY HH:MM:SS" with every part in its range (a leap second's 60 included).
bool IsAlertTime(std::string_view text) {
  if (text.size() != 17 || text[2] != '/' || text[5] != '/' || text[8] != ' ' || text[11] != ':' || text[14] != ':')
    return false;
  return TwoDigits(text, 0, 1, 12) && TwoDigits(text, 3, 1, 31) && TwoDigits(text, 6, 0, 99) &&
         TwoDigits(text, 9, 0, 23) && TwoDigits(text, 12, 0, 59) && TwoDigits(text, 15, 0, 60);
}

bool IsText(std::string_view text, std::size_t length) {
  return text.size() <= length && text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// An int as "%d" writes it, and only so: the toolkit's 32-bit scan, then the text must be what
// the number read from it writes (no '+', no leading zero, no "-0", no blanks).
bool ParseInt(std::string_view text, int* value) {
  std::string_view rest = text;
  std::int32_t number = 0;
  if (!ScanStamp(rest, number) || !rest.empty() || std::to_string(number) != text) return false;
  *value = number;
  return true;
}

// A price as "%.2f" writes a float: the text must be what the price read from it writes.
bool ParseTarget(std::string_view text, float* price) {
  if (text.empty() || text.size() > 43) return false;
  const std::string copy(text);
  char* end = nullptr;
  const float value = std::strtof(copy.c_str(), &end);
  // "inf" and "nan" format back as themselves, but no saved search has such a price.
  if (end != copy.c_str() + copy.size() || !std::isfinite(value) || FormatTarget(value) != text) return false;
  *price = value;
  return true;
}

// Gathers the file's lines piece by piece and keeps the entries of those that read. A line
// grows no longer than the longest entry: past that it is dropped and its rest skipped.
class EntryLines {
 public:
  explicit EntryLines(std::vector<AlertHistoryEntry>* entries) : entries_(entries) {}

  void Feed(std::string_view bytes) {
    while (!bytes.empty()) {
      const std::size_t end = bytes.find('\n');
      const std::string_view piece = bytes.substr(0, end);
      if (!tooLong_) {
        if (line_.size() + piece.size() >= kAlertHistoryLongestLine) {
          tooLong_ = true;
          line_.clear();
        } else {
          line_.append(piece);
        }
      }
      if (end == std::string_view::npos) return;  // the line goes on in the next piece
      EndLine();
      bytes.remove_prefix(end + 1);
    }
  }

 private:
  void EndLine() {
    if (!tooLong_) {
      std::string_view line = line_;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      AlertHistoryEntry entry;
      if (ParseAlertHistoryLine(line, &entry)) entries_->push_back(std::move(entry));
    }
    line_.clear();
    tooLong_ = false;
  }

  std::vector<AlertHistoryEntry>* entries_;
  std::string line_;
  bool tooLong_ = false;
};

}  // namespace

const char* AlertAnswerWord(AlertAnswer answer) { return kAnswerWords[static_cast<int>(answer)]; }

bool ParseAlertAnswer(std::string_view word, AlertAnswer* answer) {
  for (int i = 0; i < static_cast<int>(std::size(kAnswerWords)); ++i) {
    if (word == kAnswerWords[i]) {
      *answer = static_cast<AlertAnswer>(i);
      return true;
    }
  }
  return false;
}

std::string FormatAlertHistoryLine(const AlertHistoryEntry& entry) {
  std::string line = Cleaned(entry.raised, std::string::npos);
  for (const std::string& field :
       {Cleaned(entry.searchDescription, kAlertHistorySearchLength), Cleaned(entry.id, kAlertHistoryIdLength),
        Cleaned(entry.description, kAlertHistoryDescriptionLength), Cleaned(entry.price, kAlertHistoryPriceLength),
        std::to_string(entry.days), std::to_string(entry.hours), std::to_string(entry.minutes),
        FormatTarget(entry.targetPrice), std::string(AlertAnswerWord(entry.answer))}) {
    line += '\t';
    line += field;
  }
  line += "\r\n";
  return line;
}

bool ParseAlertHistoryLine(std::string_view line, AlertHistoryEntry* entry) {
  std::string_view fields[kAlertHistoryFields];
  int count = 0;
  for (std::string_view rest = line;; ++count) {
    if (count == kAlertHistoryFields) return false;  // a tab too many
    const std::size_t tab = rest.find('\t');
    fields[count] = rest.substr(0, tab);
    if (tab == std::string_view::npos) break;
    rest.remove_prefix(tab + 1);
  }
  if (count != kAlertHistoryFields - 1) return false;

  AlertHistoryEntry parsed;
  if (!IsAlertTime(fields[0]) || !IsText(fields[1], kAlertHistorySearchLength) ||
      !IsText(fields[2], kAlertHistoryIdLength) || !IsText(fields[3], kAlertHistoryDescriptionLength) ||
      !IsText(fields[4], kAlertHistoryPriceLength) || !ParseInt(fields[5], &parsed.days) ||
      !ParseInt(fields[6], &parsed.hours) || !ParseInt(fields[7], &parsed.minutes) ||
      !ParseTarget(fields[8], &parsed.targetPrice) || !ParseAlertAnswer(fields[9], &parsed.answer))
    return false;
  parsed.raised = std::string(fields[0]);
  parsed.searchDescription = std::string(fields[1]);
  parsed.id = std::string(fields[2]);
  parsed.description = std::string(fields[3]);
  parsed.price = std::string(fields[4]);
  *entry = std::move(parsed);
  return true;
}

std::vector<AlertHistoryEntry> ReadAlertHistory(std::string_view bytes) {
  std::vector<AlertHistoryEntry> entries;
  EntryLines(&entries).Feed(bytes);  // a rest without its line end stays unread
  return entries;
}

bool ReadAlertHistory(std::FILE* file, std::vector<AlertHistoryEntry>* entries) {
  EntryLines lines(entries);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) lines.Feed(std::string_view(buffer, n));
  return std::ferror(file) == 0;
}
