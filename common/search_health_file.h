// The search health file ("searchhealth.txt"): how each saved search fared in the latest
// passes, one line per search in list order, tab-separated, CR LF.
#pragma once
#include <string>
#include <string_view>
#include <vector>

constexpr const char kSearchHealthName[] = "searchhealth.txt";
constexpr const char kHealthNeverFound[] = "never";

// What one pass made of one search's page.
enum class OutcomeKind { Items, None, Failed };
// Why a search had no usable page.
enum class FailureCause { Refused, Connection, Status, Credentials, Redirect, File };

struct SearchOutcome {
  OutcomeKind kind = OutcomeKind::None;
  long items = 0;                                 // Items: at least 1
  FailureCause cause = FailureCause::Connection;  // Failed
  int status = 0;                                 // Failed with Status: 400 or more
};

// items > 0: Items, else None.
SearchOutcome PageReadOutcome(long items);
SearchOutcome FailedOutcome(FailureCause cause, int status = 0);

// "items N", "none", or "failed CAUSE".
std::string FormatOutcome(const SearchOutcome& outcome);
// The cause words of a failed outcome: "refused", "status 500", ...
std::string FormatCause(const SearchOutcome& outcome);
bool ParseOutcome(std::string_view text, SearchOutcome* outcome);

struct SearchHealth {
  std::string description;
  std::string address;
  SearchOutcome outcome;
  long passesInRow = 1;                      // passes of this outcome's kind in a row
  std::string lastItemsFound = kHealthNeverFound;  // "MM/DD/YY HH:MM:SS" or "never"
  bool warned = false;
};

constexpr long kHealthMostPassesInRow = 999999999;  // counts stop here rather than overflow

// One line without its line end:
// description TAB address TAB outcome TAB passes TAB last items found TAB warned.
std::string FormatHealthLine(const SearchHealth& health);
// Split from the right: the description may hold tabs. False when the line is damaged.
bool ParseHealthLine(std::string_view line, SearchHealth* health);

// The whole file. Lines end with CR LF (a bare LF is taken too). False for a damaged or
// foreign file: any line that does not read, or a last line without its line end.
bool ParseHealthFile(std::string_view bytes, std::vector<SearchHealth>* records);
std::string FormatHealthFile(const std::vector<SearchHealth>& records);

// Reads the file at path. A missing, unreadable, damaged or foreign file gives no records:
// the next write rebuilds it.
enum class HealthFileRead { Read, Missing, Damaged };
HealthFileRead LoadSearchHealth(const char* path, std::vector<SearchHealth>* records);
// Writes the whole file in one step, through path + ".tmp". False when it was not replaced.
bool SaveSearchHealth(const char* path, const std::vector<SearchHealth>& records);
std::string TemporaryHealthPath(const char* path);
