// The bargain history ("alerthistory.txt"): one line per alert the poller raised, with what
// the user answered. Ten tab-separated fields, each line ends with CR LF:
// raised TAB search TAB id TAB description TAB price TAB days TAB hours TAB minutes TAB target
// TAB answer. The poller appends lines (alert_history_append.h) and keeps only the newest
// (alert_history_cap.h); readers take the lines that read and skip the rest.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

constexpr const char kAlertHistoryName[] = "alerthistory.txt";

// The most bytes each text field keeps: the poller's buffers for them less their terminating
// NUL, so a text the poller holds is never cut. The pass log keeps them whole too.
constexpr std::size_t kAlertHistorySearchLength = 127;       // a saved search's description
constexpr std::size_t kAlertHistoryIdLength = 63;            // an item's id
constexpr std::size_t kAlertHistoryDescriptionLength = 511;  // an item's description
constexpr std::size_t kAlertHistoryPriceLength = 131;        // an item's price text

// What became of the alert dialog.
enum class AlertAnswer {
  Now,         // View Now
  Later,       // View Later
  Never,       // View Never
  None,        // no dialog: pop-ups are off
  Unanswered,  // the dialog still waited at logoff or shutdown
};

struct AlertHistoryEntry {
  std::string raised;             // "MM/DD/YY HH:MM:SS", local time, from FormatPassTime
  std::string searchDescription;  // the saved search's description
  std::string id;                 // the item's id
  std::string description;        // the item's description
  std::string price;              // the item's price text, as the pass log has it
  int days = 0;                   // the item's time left
  int hours = 0;
  int minutes = 0;
  float targetPrice = 0;          // the search's target price, kept to two decimals
  AlertAnswer answer = AlertAnswer::None;
};

// "now", "later", "never", "none", "unanswered".
const char* AlertAnswerWord(AlertAnswer answer);
bool ParseAlertAnswer(std::string_view word, AlertAnswer* answer);

// The whole line, CR LF included. In each text field a tab, CR, LF or NUL becomes a blank, so
// a field never splits the line; a text longer than its field keeps is cut to it. A target
// price that is not finite (no saved search reads as one) gives a line that does not read.
std::string FormatAlertHistoryLine(const AlertHistoryEntry& entry);

// One line without its line end. It reads only in the form the writer gives it: ten fields,
// a real date and time, texts within their lengths and free of CR and NUL, the numbers as %d
// and %.2f write them (no sign but '-', no leading zero), a known answer word. So whatever
// reads formats back to the same line, byte for byte.
bool ParseAlertHistoryLine(std::string_view line, AlertHistoryEntry* entry);

// The longest line that reads, CR LF included: the date, the texts at their lengths, three
// times "-2147483648", "%.2f" of -FLT_MAX (43 bytes), "unanswered", nine tabs.
constexpr std::size_t kAlertHistoryLongestLine = 17 + kAlertHistorySearchLength + kAlertHistoryIdLength +
                                                 kAlertHistoryDescriptionLength + kAlertHistoryPriceLength +
                                                 3 * 11 + 43 + 10 + 9 + 2;

// The entries of a whole file, in file order. Lines end with CR LF (a bare LF is taken too);
// a line that does not read is skipped, and so is a last line without its line end: it may be
// a write cut short.
std::vector<AlertHistoryEntry> ReadAlertHistory(std::string_view bytes);
// The same from an open file (opened "rb"), read in pieces: a line longer than any entry is
// skipped without being held whole. Appends to entries; false when a read error stopped the
// reading, and entries then holds the lines before it.
bool ReadAlertHistory(std::FILE* file, std::vector<AlertHistoryEntry>* entries);
