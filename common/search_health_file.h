// The search health file ("searchhealth.txt"): how each saved search fared in the latest
// passes, one line per search in list order, tab-separated, CR LF.
#pragma once
#include <string>
#include <string_view>
#include <vector>

constexpr const char kSearchHealthName[] = "searchhealth.txt";
constexpr const char kNeverFound[] = "never";

// What one pass made of one search's page.
enum class OutcomeKind { kItems, kNone, kFailed };
// Why a search had no usable page.
enum class FailureCause { kRefused, kConnection, kStatus, kCredentials, kRedirect, kFile };

struct SearchOutcome {
  OutcomeKind kind = OutcomeKind::kNone;
  long items = 0;                               // kItems: at least 1
  FailureCause cause = FailureCause::kConnection;  // kFailed
  int status = 0;                               // kFailed with kStatus: 400 or more
};

// items > 0: kItems, else kNone.
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
  std::string lastItemsFound = kNeverFound;  // "MM/DD/YY HH:MM:SS" or "never"
  bool warned = false;
};

constexpr long kMostPassesInRow = 999999999;  // counts stop here rather than overflow

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
enum class HealthFileRead { kRead, kMissing, kDamaged };
HealthFileRead LoadSearchHealth(const char* path, std::vector<SearchHealth>* records);
// Writes the whole file in one step, through path + ".tmp". False when it was not replaced.
bool SaveSearchHealth(const char* path, const std::vector<SearchHealth>& records);
std::string TemporaryHealthPath(const char* path);
