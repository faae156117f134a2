// The search list file ("lotwise2.ini"): one saved search per line, its readers and rewrites.
#pragma once
#include <cstdio>
#include <string>

#include "common/file_lines.h"

constexpr int kSearchLineSize = 1024;        // the readers' line buffer: 1022 bytes and a line end
constexpr int kSearchDescriptionSize = 128;  // a description holds 1 to 127 bytes
constexpr int kSearchNumberTextSize = 32;    // a numeric field holds at most 31 bytes
constexpr const char kSearchListName[] = "lotwise2.ini";
constexpr const char kOldSearchListName[] = "lotwise.ini";
// Lines are read whole: a rewrite writes every line it keeps back byte for byte.
constexpr std::size_t kSearchListLineCap = kWholeLine;

struct SavedSearch {
  char description[kSearchDescriptionSize];
  char url[kSearchLineSize];
  int days;
  int hours;
  int minutes;
  float price;
  int TriggerMinutes() const;
};

// The six fields as texts, as the editor holds them and as the add and change forms store them.
struct SearchTexts {
  char description[kSearchDescriptionSize];
  char url[kSearchLineSize];
  char days[kSearchNumberTextSize];
  char hours[kSearchNumberTextSize];
  char minutes[kSearchNumberTextSize];
  char price[kSearchNumberTextSize];
};

// minutes + 60 * (hours + 24 * days), clamped to the int range instead of overflowing.
int TriggerMinutes(int days, int hours, int minutes);

// Opens a search list (or the old list) for reading. In binary mode, because Windows text
// mode ends a file at a Ctrl-Z byte and a rewrite would then drop every search after it;
// ReadFileLine drops the CR of a CR LF line end as text mode would have.
std::FILE* OpenListForReading(const char* path);

// The description: the bytes between the first and the second double quote, cut to 127 bytes.
// rest points just behind the second quote. False when the line lacks the two quotes.
bool SplitSearchLine(const char* line, char (&description)[kSearchDescriptionSize], const char** rest);

// "%s %d %d %d %f" behind the description: the poller's and the manager list's reading.
bool ParseSavedSearch(const char* line, SavedSearch& out);
// "%s %s %s %s %s": the stored texts, for the editor and the change reading.
bool ParseSearchTexts(const char* line, SearchTexts& out);
// The old format: description, then "%s %d %f" (URL, notify minutes, price).
bool ParseOldSearchLine(const char* line, SavedSearch& out);

// The three line forms, without the line end.
std::string FormatAddForm(const SearchTexts& texts);
std::string FormatChangeForm(const SearchTexts& texts);
std::string FormatConversionForm(const SavedSearch& search);

// The manager's file operations. Each opens and closes the files itself and never leaves a
// stored search lost. Each writes the whole new list to the temporary copy and then puts it in
// place of the list in one step, so a reader sees the list either before or after the change,
// and a rewrite cut off anywhere leaves the old list or the new one. A leftover copy is never
// read: it may have been cut at a line end, and nothing in it tells. After a delete the
// temporary copy holds the new list; after every other operation it is gone.
enum class RewriteResult {
  Done,
  LineChanged,  // the line no longer holds the bytes it was loaded with: nothing was written
  Failed,       // the list could not be read or written: it is unchanged
};
// True when it could do its work.
bool AppendSearch(const char* listPath, const SearchTexts& texts);
// Change or delete line lineNumber (from 1), only while it still holds loadedLine (its bytes
// without the line end, as ReadFileLine gave them when the row was loaded). Checked inside
// the read that the rewrite is made from, so a list changed by hand or by another program
// since then is never changed at the wrong line.
RewriteResult ReplaceSearch(const char* listPath, int lineNumber, const std::string& loadedLine,
                            const SearchTexts& texts);
RewriteResult DeleteSearch(const char* listPath, int lineNumber, const std::string& loadedLine);

enum class ConversionResult {
  Converted,          // from the old list, or empty when there is none
  OldListUnreadable,  // it exists but could not be read whole: nothing was written
  Failed,             // the new list could not be written
};
ConversionResult ConvertOldSearchList(const char* oldListPath, const char* listPath);

// The temporary copy used by the rewrites: the list path with "tmp" appended.
std::string TemporaryCopyPath(const char* listPath);

// Tests: called at each step of a rewrite, to stop the process there.
enum class RewriteStep { CopyWritten, ListReplaced };
using RewriteStepHook = void (*)(RewriteStep);
void SetRewriteStepHook(RewriteStepHook hook);
