// libFuzzer target: any bytes as a search list, through the line readers, the line forms read
// back, and the manager's append, replace and delete.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/file_rewrite.h"
#include "common/fuzz/fuzz_support.h"
#include "common/search_list.h"

namespace {

const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

struct FileLine {
  std::string text;
  bool hadLineEnd;
};

// The lines as a reader must see them: every byte up to each LF, NULs included; a final
// fragment without its LF is a line too.
std::vector<FileLine> SplitLines(const std::string& bytes) {
  std::vector<FileLine> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back({bytes.substr(start), false});
      break;
    }
    lines.push_back({bytes.substr(start, end - start), true});
    start = end + 1;
  }
  return lines;
}

template <std::size_t N>
void CheckTerminated(const char (&field)[N], const char* what) {
  if (std::memchr(field, '\0', N) == nullptr) FuzzFail(what, "field not terminated within its buffer");
}

void CheckReadFileLine(const std::string& path, const std::vector<FileLine>& expected) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (!file) FuzzFail("fopen", path);
  std::string line;
  bool hadLineEnd = false;
  for (const FileLine& want : expected) {
    if (!ReadFileLine(file, kSearchListLineCap, line, &hadLineEnd))
      FuzzFail("ReadFileLine", "ended early before " + Escaped(want.text));
    if (line != want.text || hadLineEnd != want.hadLineEnd)
      FuzzFail("ReadFileLine", Escaped(want.text) + " | read " + Escaped(line));
  }
  if (ReadFileLine(file, kSearchListLineCap, line) || ReadFileLine(file, kSearchListLineCap, line))
    FuzzFail("ReadFileLine", "a line after the end: " + Escaped(line));
  std::fclose(file);
}

// The quotes found the plain way; false when the line lacks them.
bool ReferenceSplit(const std::string& line, std::string* description, std::size_t* rest) {
  const std::size_t open = line.find('"');
  if (open == std::string::npos) return false;
  const std::size_t close = line.find('"', open + 1);
  if (close == std::string::npos) return false;
  *description = line.substr(open + 1, close - open - 1).substr(0, kSearchDescriptionSize - 1);
  *rest = close + 1;
  return true;
}

std::vector<std::string> Words(const char* text) {
  std::vector<std::string> words;
  for (const char* c = text; *c;) {
    while (*c && IsScanBlank(*c)) ++c;
    const char* start = c;
    while (*c && !IsScanBlank(*c)) ++c;
    if (c != start) words.emplace_back(start, c);
  }
  return words;
}

// Text that sscanf with width-limited conversions reads exactly as the bounded scan must:
// no word longer than its buffer, no number that overflows, and none of the letters of
// exponents, hexadecimal, "inf" and "nan" (where the scan refuses what sscanf takes).
bool ScansLikeSscanf(const char* rest) {
  const std::vector<std::string> words = Words(rest);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() >= (i == 0 ? std::size_t{kSearchLineSize} : std::size_t{kSearchNumberTextSize})) return false;
    if (i == 0) continue;
    std::size_t digits = 0;
    for (char c : word) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return false;
      digits = c >= '0' && c <= '9' ? digits + 1 : 0;
      if (digits > 9) return false;
    }
  }
  return true;
}

bool SameFloat(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void CheckLineReaders(const std::string& text) {
  const char* line = text.c_str();  // the readers see the line up to its first NUL
  const std::string cString(line);
  std::string wantDescription;
  std::size_t restAt = 0;
  const bool quoted = ReferenceSplit(cString, &wantDescription, &restAt);

  char description[kSearchDescriptionSize];
  const char* rest = nullptr;
  if (SplitSearchLine(line, description, &rest) != quoted) FuzzFail("SplitSearchLine", "quotes: " + Escaped(cString));
  if (!quoted) {
    SavedSearch search;
    SearchTexts texts;
    if (ParseSavedSearch(line, search) || ParseSearchTexts(line, texts) || ParseOldSearchLine(line, search))
      FuzzFail("line readers", "a line without two quotes read: " + Escaped(cString));
    return;
  }
  CheckTerminated(description, "SplitSearchLine");
  if (description != wantDescription || rest != line + restAt)
    FuzzFail("SplitSearchLine", Escaped(cString) + " | description " + Escaped(description));
  const bool likeSscanf = ScansLikeSscanf(rest);

  SavedSearch search;
  const bool saved = ParseSavedSearch(line, search);
  CheckTerminated(search.description, "ParseSavedSearch");
  CheckTerminated(search.url, "ParseSavedSearch");
  if (likeSscanf) {
    SavedSearch want;
    const bool wantSaved = std::sscanf(rest, "%1023s %d %d %d %f", want.url, &want.days, &want.hours, &want.minutes,
                                       &want.price) == 5;
    if (saved != wantSaved ||
        (saved && (std::strcmp(search.url, want.url) != 0 || search.days != want.days || search.hours != want.hours ||
                   search.minutes != want.minutes || !SameFloat(search.price, want.price))))
      FuzzFail("ParseSavedSearch", "differs from sscanf: " + Escaped(cString));
  }

  SearchTexts texts;
  const bool textsRead = ParseSearchTexts(line, texts);
  CheckTerminated(texts.description, "ParseSearchTexts");
  CheckTerminated(texts.url, "ParseSearchTexts");
  const std::vector<std::string> words = Words(rest);
  bool shortWords = words.empty() || words[0].size() < std::size_t{kSearchLineSize};
  for (std::size_t i = 1; i < words.size() && i < 5; ++i)
    shortWords = shortWords && words[i].size() < kSearchNumberTextSize;
  if (shortWords) {
    SearchTexts want;
    const bool wantRead =
        std::sscanf(rest, "%1023s %31s %31s %31s %31s", want.url, want.days, want.hours, want.minutes, want.price) == 5;
    if (textsRead != wantRead ||
        (textsRead && (std::strcmp(texts.url, want.url) != 0 || std::strcmp(texts.days, want.days) != 0 ||
                       std::strcmp(texts.hours, want.hours) != 0 || std::strcmp(texts.minutes, want.minutes) != 0 ||
                       std::strcmp(texts.price, want.price) != 0)))
      FuzzFail("ParseSearchTexts", "differs from sscanf: " + Escaped(cString));
  } else if (textsRead) {
    CheckTerminated(texts.days, "ParseSearchTexts");
    CheckTerminated(texts.hours, "ParseSearchTexts");
    CheckTerminated(texts.minutes, "ParseSearchTexts");
    CheckTerminated(texts.price, "ParseSearchTexts");
  }

  SavedSearch old;
  const bool oldRead = ParseOldSearchLine(line, old);
  if (oldRead && (old.days != 0 || old.hours != 0)) FuzzFail("ParseOldSearchLine", "days or hours set");
  if (likeSscanf) {
    SavedSearch want;
    const bool wantRead = std::sscanf(rest, "%1023s %d %f", want.url, &want.minutes, &want.price) == 3;
    if (oldRead != wantRead || (oldRead && (std::strcmp(old.url, want.url) != 0 || old.minutes != want.minutes ||
                                            !SameFloat(old.price, want.price))))
      FuzzFail("ParseOldSearchLine", "differs from sscanf: " + Escaped(cString));
  }
}

// Keeps what a field may hold: no byte of dropped, at most size - 1 bytes, never empty.
void StoreField(const std::string& text, const char* dropped, char* out, std::size_t size, const char* empty) {
  std::string kept;
  for (char c : text) {
    if (c != '\0' && !std::strchr(dropped, c) && kept.size() < size - 1) kept += c;
  }
  if (kept.empty()) kept = empty;
  std::memcpy(out, kept.c_str(), kept.size() + 1);
}

SearchTexts ValidTexts(FuzzedDataProvider& provider) {
  static const char kBlanks[] = " \t\n\r\v\f";
  SearchTexts texts;
  StoreField(provider.ConsumeRandomLengthString(200), "\"\n", texts.description, sizeof texts.description, "d");
  StoreField(provider.ConsumeRandomLengthString(1100), kBlanks, texts.url, sizeof texts.url, "u");
  StoreField(provider.ConsumeRandomLengthString(40), kBlanks, texts.days, sizeof texts.days, "0");
  StoreField(provider.ConsumeRandomLengthString(40), kBlanks, texts.hours, sizeof texts.hours, "0");
  StoreField(provider.ConsumeRandomLengthString(40), kBlanks, texts.minutes, sizeof texts.minutes, "0");
  StoreField(provider.ConsumeRandomLengthString(40), kBlanks, texts.price, sizeof texts.price, "0");
  return texts;
}

bool SameTexts(const SearchTexts& a, const SearchTexts& b) {
  return std::strcmp(a.description, b.description) == 0 && std::strcmp(a.url, b.url) == 0 &&
         std::strcmp(a.days, b.days) == 0 && std::strcmp(a.hours, b.hours) == 0 &&
         std::strcmp(a.minutes, b.minutes) == 0 && std::strcmp(a.price, b.price) == 0;
}

bool SameSearch(const SavedSearch& a, const SavedSearch& b) {
  return std::strcmp(a.description, b.description) == 0 && std::strcmp(a.url, b.url) == 0 && a.days == b.days &&
         a.hours == b.hours && a.minutes == b.minutes && SameFloat(a.price, b.price);
}

// Both stored forms of valid texts read back as the same six texts, and as the same search.
void CheckRoundTrip(const SearchTexts& texts) {
  const std::string forms[] = {FormatAddForm(texts), FormatChangeForm(texts)};
  SavedSearch searches[2];
  bool saved[2];
  for (int i = 0; i < 2; ++i) {
    CheckLineReaders(forms[i]);
    SearchTexts read;
    if (!ParseSearchTexts(forms[i].c_str(), read) || !SameTexts(read, texts))
      FuzzFail("line form read back", Escaped(forms[i]));
    saved[i] = ParseSavedSearch(forms[i].c_str(), searches[i]);
  }
  if (saved[0] != saved[1] || (saved[0] && !SameSearch(searches[0], searches[1])))
    FuzzFail("add and change forms", "read differently: " + Escaped(forms[0]));
}

std::string JoinLines(const std::vector<FileLine>& lines) {
  std::string bytes;
  for (const FileLine& line : lines) bytes += line.text + '\n';
  return bytes;
}

// One rewrite of the list; every line but the one changed must stay byte for byte.
void CheckRewrite(const std::string& bytes, FuzzedDataProvider& provider, const SearchTexts& texts) {
  const std::vector<FileLine> lines = SplitLines(bytes);
  const int operation = provider.ConsumeIntegralInRange(0, 2);
  const int lineNumber = provider.ConsumeIntegralInRange(0, static_cast<int>(lines.size()) + 1);
  const std::string list = Scratch().File(kSearchListName);
  const std::string temporary = TemporaryCopyPath(list.c_str());
  const bool exists = lineNumber >= 1 && lineNumber <= static_cast<int>(lines.size());

  // The line as the rows were loaded: as it is, or (stale) as it was before someone edited it.
  const bool stale = provider.ConsumeBool();
  std::string loadedLine = exists ? lines[lineNumber - 1].text : std::string();
  if (stale) loadedLine += 'x';
  const bool matches = exists && !stale;

  std::vector<FileLine> after = lines;
  std::string changedLine;
  bool done = false;
  if (operation == 0) {
    done = AppendSearch(list.c_str(), texts);
    changedLine = FormatAddForm(texts);
    after.push_back({changedLine, true});
    if (!done) FuzzFail("AppendSearch", "failed");
  } else if (operation == 1) {
    const RewriteResult result = ReplaceSearch(list.c_str(), lineNumber, loadedLine, texts);
    done = result == RewriteResult::Done;
    changedLine = FormatChangeForm(texts);
    if (matches) after[lineNumber - 1] = {changedLine, true};
    if (result != (matches ? RewriteResult::Done : RewriteResult::LineChanged))
      FuzzFail("ReplaceSearch", "line " + std::to_string(lineNumber) + " of " + std::to_string(lines.size()) +
                                    (stale ? ", stale: " : ": ") + (done ? "done" : "not done"));
    if (done && FileExists(temporary)) FuzzFail("ReplaceSearch", "temporary copy left");
  } else {
    const RewriteResult result = DeleteSearch(list.c_str(), lineNumber, loadedLine);
    done = result == RewriteResult::Done;
    if (matches) after.erase(after.begin() + (lineNumber - 1));
    if (result != (matches ? RewriteResult::Done : RewriteResult::LineChanged))
      FuzzFail("DeleteSearch", "line " + std::to_string(lineNumber) + " of " + std::to_string(lines.size()) +
                                   (stale ? ", stale: " : ": ") + (done ? "done" : "not done"));
  }

  std::string now;
  if (!ReadAllBytes(list, now)) FuzzFail("search list", "missing after the rewrite");
  std::string want = bytes;
  if (operation == 0) {
    if (!bytes.empty() && bytes.back() != '\n') want += '\n';
    want += changedLine + '\n';
  } else if (done) {
    want = JoinLines(after);  // a final line without its line end gets one
  }
  if (now != want) FuzzFail("rewrite", "operation " + std::to_string(operation) + " line " +
                                           std::to_string(lineNumber) + ": " + Escaped(now) + " | want " + Escaped(want));
  if (operation == 2 && done) {
    std::string copy;
    if (!ReadAllBytes(temporary, copy) || copy != want) FuzzFail("DeleteSearch", "temporary copy differs");
  }
  if (done && operation != 2) {
    // The changed line reads back as the texts it was written from.
    const std::vector<FileLine> written = SplitLines(now);
    const std::size_t at = operation == 0 ? written.size() - 1 : static_cast<std::size_t>(lineNumber - 1);
    SearchTexts read;
    if (at >= written.size() || !ParseSearchTexts(written[at].text.c_str(), read) || !SameTexts(read, texts))
      FuzzFail("rewrite", "the written line does not read back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Scratch().Clear();
  const std::string list = Scratch().File(kSearchListName);
  WriteFileOrFail(list, bytes);

  const std::vector<FileLine> lines = SplitLines(bytes);
  CheckReadFileLine(list, lines);
  for (const FileLine& line : lines) CheckLineReaders(line.text);

  FuzzedDataProvider provider(data, size);
  const SearchTexts texts = ValidTexts(provider);
  CheckRoundTrip(texts);
  CheckRewrite(bytes, provider, texts);
  return 0;
}
