// Search list file: line readers and the manager's append, replace, delete and conversion.
#include "common/search_list.h"

#include <climits>
#include <cstring>

#include "common/text_scan.h"

int SavedSearch::TriggerMinutes() const { return ::TriggerMinutes(days, hours, minutes); }

int TriggerMinutes(int days, int hours, int minutes) {
  long long total = minutes + 60LL * (hours + 24LL * days);
  if (total > INT_MAX) return INT_MAX;
  if (total < INT_MIN) return INT_MIN;
  return static_cast<int>(total);
}

bool ReadFileLine(std::FILE* file, std::string& line, bool* hadLineEnd) {
  line.clear();
  if (hadLineEnd) *hadLineEnd = false;
  // Byte by byte rather than through fgets: a NUL inside a line would hide the rest of an
  // fgets piece, its line end included, and run two lines, two searches, into one.
  bool readAny = false;
  for (int c; (c = std::getc(file)) != EOF;) {
    readAny = true;
    if (c == '\n') {
      if (hadLineEnd) *hadLineEnd = true;
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
  return readAny;
}

bool SplitSearchLine(const char* line, char (&description)[kDescriptionSize], const char** rest) {
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

bool WriteLine(std::FILE* file, const std::string& line) {
  return std::fwrite(line.data(), 1, line.size(), file) == line.size() && std::fputc('\n', file) != EOF;
}

// fclose that reports a failed flush as well as a failed close.
bool CloseChecked(std::FILE* file) {
  bool ok = std::ferror(file) == 0;
  return std::fclose(file) == 0 && ok;
}

// Copies source to target line by line; line lineNumber (from 1) is replaced by replacement,
// or left out when replacement is null. A final line without its line end is kept, with one.
// Returns false on a read or write failure, or when the line does not exist.
bool CopyLines(const char* sourcePath, const char* targetPath, int lineNumber, const std::string* replacement) {
  std::FILE* source = std::fopen(sourcePath, "r");
  if (!source) return false;
  std::FILE* target = std::fopen(targetPath, "w");
  if (!target) {
    std::fclose(source);
    return false;
  }
  bool ok = true;
  bool found = lineNumber <= 0;
  std::string line;
  for (int n = 1; ok && ReadFileLine(source, line); ++n) {
    if (n == lineNumber) {
      found = true;
      if (replacement) ok = WriteLine(target, *replacement);
    } else {
      ok = WriteLine(target, line);
    }
  }
  ok = ok && std::ferror(source) == 0;
  std::fclose(source);
  ok = CloseChecked(target) && ok;
  return ok && found;
}

// The rewrite shared by replace and delete: copy out to the temporary copy, then back.
bool RewriteList(const char* listPath, int lineNumber, const std::string* replacement) {
  if (lineNumber < 1) return false;
  const std::string temporary = TemporaryCopyPath(listPath);
  // A failed copy-out leaves the list untouched; never copy an incomplete copy back.
  if (!CopyLines(listPath, temporary.c_str(), lineNumber, replacement)) return false;
  return CopyLines(temporary.c_str(), listPath, 0, nullptr);
}

bool EndsWithLineEnd(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return true;
  bool result = true;
  if (std::fseek(file, -1, SEEK_END) == 0) result = std::fgetc(file) == '\n';
  std::fclose(file);
  return result;
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
  // A final line without its line end would otherwise run into the new one.
  const bool needsLineEnd = !EndsWithLineEnd(listPath);
  std::FILE* file = std::fopen(listPath, "a");
  if (!file) return false;
  bool ok = (!needsLineEnd || std::fputc('\n', file) != EOF) && WriteLine(file, FormatAddForm(texts));
  return CloseChecked(file) && ok;
}

bool ReplaceSearch(const char* listPath, int lineNumber, const SearchTexts& texts) {
  const std::string replacement = FormatChangeForm(texts);
  if (!RewriteList(listPath, lineNumber, &replacement)) return false;
  std::remove(TemporaryCopyPath(listPath).c_str());
  return true;
}

bool DeleteSearch(const char* listPath, int lineNumber) {
  // The temporary copy stays behind, holding the list without the deleted line.
  return RewriteList(listPath, lineNumber, nullptr);
}

bool ConvertOldSearchList(const char* oldListPath, const char* listPath) {
  std::FILE* target = std::fopen(listPath, "w");
  if (!target) return false;
  std::FILE* source = std::fopen(oldListPath, "r");
  bool ok = true;
  if (source) {
    std::string line;
    bool hadLineEnd = false;
    while (ok && ReadFileLine(source, line, &hadLineEnd)) {
      if (line.size() + (hadLineEnd ? 1 : 0) < 5) break;
      SavedSearch search;
      // A line that does not scan has nothing to convert; it is left out.
      if (ParseOldSearchLine(line.c_str(), search)) ok = WriteLine(target, FormatConversionForm(search));
    }
    std::fclose(source);
  }
  return CloseChecked(target) && ok;
}
