// Search list file: line readers, and the manager's append, replace, delete and conversion as
// atomic rewrites.
#include "common/search_list.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "common/file_rewrite.h"
#include "common/text_scan.h"
#include "common/unique_file.h"

int SavedSearch::TriggerMinutes() const { return ::TriggerMinutes(days, hours, minutes); }

int TriggerMinutes(int days, int hours, int minutes) {
  long long total = minutes + 60LL * (hours + 24LL * days);
  if (total > INT_MAX) return INT_MAX;
  if (total < INT_MIN) return INT_MIN;
  return static_cast<int>(total);
}

std::FILE* OpenListForReading(const char* path) { return std::fopen(path, "rb"); }

bool SplitSearchLine(const char* line, char (&description)[kSearchDescriptionSize], const char** rest) {
  const char* open = std::strchr(line, '"');
  if (!open) return false;
  const char* close = std::strchr(open + 1, '"');
  if (!close) return false;
  CopyText(description, sizeof description, open + 1, static_cast<std::size_t>(close - open - 1));
  *rest = close + 1;
  return true;
}

bool ParseSavedSearch(const char* line, SavedSearch& out) {
  const char* rest = nullptr;
  if (!SplitSearchLine(line, out.description, &rest)) return false;
  TextScan scan(rest);
  return scan.Word(out.url, sizeof out.url) && scan.Int(out.days) && scan.Int(out.hours) &&
         scan.Int(out.minutes) && scan.Float(out.price);
}

bool ParseSearchTexts(const char* line, SearchTexts& out) {
  const char* rest = nullptr;
  if (!SplitSearchLine(line, out.description, &rest)) return false;
  TextScan scan(rest);
  return scan.Word(out.url, sizeof out.url) && scan.Word(out.days, sizeof out.days) &&
         scan.Word(out.hours, sizeof out.hours) && scan.Word(out.minutes, sizeof out.minutes) &&
         scan.Word(out.price, sizeof out.price);
}

bool ParseOldSearchLine(const char* line, SavedSearch& out) {
  const char* rest = nullptr;
  if (!SplitSearchLine(line, out.description, &rest)) return false;
  out.days = 0;
  out.hours = 0;
  TextScan scan(rest);
  return scan.Word(out.url, sizeof out.url) && scan.Int(out.minutes) && scan.Float(out.price);
}

namespace {

std::string Format(const char* separator, const SearchTexts& t) {
  std::string line = "\"";
  line += t.description;
  line += '"';
  for (const char* field : {t.url, t.days, t.hours, t.minutes, t.price}) {
    line += separator;
    line += field;
  }
  return line;
}

RewriteStepHook g_rewriteStepHook = nullptr;

void ReachStep(RewriteStep step) {
  if (g_rewriteStepHook) g_rewriteStepHook(step);
}

// Reads every line of the list, without line ends; a final line without its line end is kept
// and gets one when the list is written back. A list that does not exist is empty; one that
// exists but cannot be read whole is a failure.
bool ReadListLines(const char* listPath, std::vector<std::string>& lines) {
  errno = 0;
  const UniqueFile file(OpenListForReading(listPath));
  if (!file) return errno == ENOENT;
  return ReadFileLines(file.get(), kSearchListLineCap, lines);
}

// The old list's searches in the new form, up to its first line too short to be one. False
// when a read error cut the reading short.
bool ConvertOldLines(std::FILE* source, std::vector<std::string>& lines) {
  std::string line;
  bool hadLineEnd = false;
  while (ReadFileLine(source, kSearchListLineCap, line, &hadLineEnd)) {
    if (line.size() + (hadLineEnd ? 1 : 0) < 5) break;
    SavedSearch search;
    // A line that does not scan has nothing to convert; it is left out.
    if (ParseOldSearchLine(line.c_str(), search)) lines.push_back(FormatConversionForm(search));
  }
  return std::ferror(source) == 0;
}

// The lines, each with its line end, as a text-mode file holds them.
std::string JoinLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += '\n';
  }
  return bytes;
}

// Writes the lines to path, truncating it, and puts them on the disk. A file that could not
// be written whole is removed.
bool WriteListLines(const std::string& path, const std::vector<std::string>& lines) {
  return WriteFileToDisk(path, JoinLines(lines), "w");
}

// Every change to the list: the complete new list goes to the temporary copy and on the
// disk first, then takes the list's place in one step. A reader sees the list either as it
// was or as it is after the change, and a rewrite cut off at any point leaves the old list
// whole (plus at most a stray copy, which nothing reads and the next rewrite overwrites).
bool WriteListAtomically(const char* listPath, const std::vector<std::string>& lines) {
  if (!RewriteFileInOneStep(listPath, TemporaryCopyPath(listPath), JoinLines(lines), "w",
                            [] { ReachStep(RewriteStep::CopyWritten); }))
    return false;
  ReachStep(RewriteStep::ListReplaced);
  return true;
}

// Replaces line lineNumber (from 1) by replacement, or leaves it out when replacement is null,
// if it still holds loadedLine. A list that is gone counts as changed: its rows are out of date.
RewriteResult RewriteList(const char* listPath, int lineNumber, const std::string& loadedLine,
                          const std::string* replacement, std::vector<std::string>& lines) {
  if (!ReadListLines(listPath, lines)) return RewriteResult::Failed;
  if (lineNumber < 1 || static_cast<std::size_t>(lineNumber) > lines.size() || lines[lineNumber - 1] != loadedLine)
    return RewriteResult::LineChanged;
  if (replacement) {
    lines[lineNumber - 1] = *replacement;
  } else {
    lines.erase(lines.begin() + (lineNumber - 1));
  }
  return WriteListAtomically(listPath, lines) ? RewriteResult::Done : RewriteResult::Failed;
}

}  // namespace

std::string FormatAddForm(const SearchTexts& texts) { return Format("\t", texts); }
std::string FormatChangeForm(const SearchTexts& texts) { return Format(" ", texts); }

std::string FormatConversionForm(const SavedSearch& s) {
  char numbers[128];
  std::snprintf(numbers, sizeof numbers, " %d %d %d %.2f", s.days, s.hours, s.minutes, s.price);
  return std::string("\"") + s.description + "\" " + s.url + numbers;
}

std::string TemporaryCopyPath(const char* listPath) { return std::string(listPath) + "tmp"; }

bool AppendSearch(const char* listPath, const SearchTexts& texts) {
  // A rewrite rather than an append in place: a reader never sees the new line half written,
  // and a full disk cannot leave a cut line behind.
  std::vector<std::string> lines;
  if (!ReadListLines(listPath, lines)) return false;
  lines.push_back(FormatAddForm(texts));
  return WriteListAtomically(listPath, lines);
}

RewriteResult ReplaceSearch(const char* listPath, int lineNumber, const std::string& loadedLine,
                            const SearchTexts& texts) {
  const std::string replacement = FormatChangeForm(texts);
  std::vector<std::string> lines;
  return RewriteList(listPath, lineNumber, loadedLine, &replacement, lines);
}

RewriteResult DeleteSearch(const char* listPath, int lineNumber, const std::string& loadedLine) {
  std::vector<std::string> lines;
  const RewriteResult result = RewriteList(listPath, lineNumber, loadedLine, nullptr, lines);
  // The temporary copy stays behind, holding the list without the deleted line, as it always
  // has. The list is already safe: a copy that cannot be written is no failure of the delete.
  if (result == RewriteResult::Done) WriteListLines(TemporaryCopyPath(listPath), lines);
  return result;
}

ConversionResult ConvertOldSearchList(const char* oldListPath, const char* listPath) {
  std::vector<std::string> lines;
  // An empty path names no old list (the folder setting could not be read).
  errno = 0;
  UniqueFile source(oldListPath[0] ? OpenListForReading(oldListPath) : nullptr);
  // An old list that exists but cannot be read (held by another program, a read error) is not
  // an empty one: converting it would write an empty new list, and it would never be converted.
  if (!source && oldListPath[0] && errno != ENOENT) return ConversionResult::OldListUnreadable;
  if (source && !ConvertOldLines(source.get(), lines)) return ConversionResult::OldListUnreadable;
  source.reset();
  return WriteListAtomically(listPath, lines) ? ConversionResult::Converted : ConversionResult::Failed;
}

void SetRewriteStepHook(RewriteStepHook hook) { g_rewriteStepHook = hook; }
