// Blocked auctions list: the lookup that prunes it, and blocking, both safe against failed file steps.
#include "poller/engine/core/blocked_auctions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/pass_log.h"
#include "common/search_list.h"

namespace {

constexpr std::size_t kMaxLineLength = 255;
// An entry line is the id, a blank and at most 11 characters of time stamp.
constexpr std::size_t kMaxIdLength = kMaxLineLength - 12;

struct BlockEntry {
  std::string id;
  std::int32_t stamp;
};

std::FILE* LibraryOpen(const char* name, const char* mode) { return std::fopen(name, mode); }
int LibraryRemove(const char* name) { return std::remove(name); }
int LibraryRename(const char* from, const char* to) { return std::rename(from, to); }
const BlockFileOps kLibraryOps{LibraryOpen, LibraryRemove, LibraryRename};
const BlockFileOps* fileOps = &kLibraryOps;

// Blocks that could not be written yet. The user's choice holds for the rest of the process,
// and the next call that can write them does.
std::vector<BlockEntry> pendingBlocks;

// The file keeps time stamps as signed 32-bit numbers.
std::int32_t Stamp(long long now) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(now)); }

// The age is taken modulo 2^32, so that stamps written after the 32-bit count wraps (2038)
// still age normally. A stamp in the future has a negative age and stays.
bool IsCurrent(std::int32_t stamp, long long now) {
  const auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(stamp));
  return age < kBlockRetentionSeconds;
}

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// One line without its line end; false at the end of the file. Of a line longer than 255
// characters only the first 255 count, so the rest never passes for an entry.
bool ReadLine(std::FILE* file, std::string& line) {
  if (!ReadFileLine(file, line)) return false;
  if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
  return true;
}

// Scans "%s %ld": a word, then a decimal number that fits 32 bits; the rest is ignored.
bool ParseEntry(const std::string& line, BlockEntry& entry) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  const std::size_t idStart = i;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  if (i == idStart) return false;
  entry.id.assign(line, idStart, i - idStart);

  while (i < line.size() && IsBlank(line[i])) ++i;
  const bool negative = i < line.size() && line[i] == '-';
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
  if (i >= line.size() || !IsDigit(line[i])) return false;
  long long value = 0;
  for (; i < line.size() && IsDigit(line[i]); ++i) {
    value = value * 10 + (line[i] - '0');
    if (value > 2147483648LL) return false;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return false;
  entry.stamp = static_cast<std::int32_t>(value);
  return true;
}

bool FileExists(const char* name) {
  std::FILE* file = fileOps->open(name, "r");
  if (file) std::fclose(file);
  return file != nullptr;
}

// True only when the file is known not to exist: a list that another process holds open, or
// that cannot be read for any other reason, is still the list.
bool IsMissing(const char* name) {
  errno = 0;
  std::FILE* file = fileOps->open(name, "r");
  if (file) std::fclose(file);
  return !file && errno == ENOENT;
}

// The list is "blockedauctions.ini". A lookup cut off between deleting it and renaming its
// pruned copy leaves only the copy: it is put back, and while that fails it serves as the list.
// A list that exists but cannot be opened keeps its name, so that no block goes into the copy,
// which the next lookup overwrites.
const char* ListFileName() {
  if (!IsMissing(kBlockFileName) || !FileExists(kBlockTempFileName)) return kBlockFileName;
  return fileOps->rename(kBlockTempFileName, kBlockFileName) == 0 ? kBlockFileName : kBlockTempFileName;
}

bool WriteEntry(std::FILE* file, const BlockEntry& entry) {
  return std::fwrite(entry.id.data(), 1, entry.id.size(), file) == entry.id.size() &&
         std::fprintf(file, " %ld\n", static_cast<long>(entry.stamp)) > 0;
}

// Closes a written file; true when everything written reached it.
bool CloseWritten(std::FILE* file, bool ok) {
  ok = std::fflush(file) == 0 && !std::ferror(file) && ok;
  return std::fclose(file) == 0 && ok;
}

// Creates (or empties) the file and writes the entries; a half-written file is removed.
bool WriteListFile(const char* name, const std::vector<BlockEntry>& entries) {
  std::FILE* file = fileOps->open(name, "w");
  if (!file) return false;
  bool ok = true;
  for (const BlockEntry& entry : entries) ok = ok && WriteEntry(file, entry);
  if (CloseWritten(file, ok)) return true;
  fileOps->remove(name);
  return false;
}

// True when the file is missing, empty or ends with a line end, so an appended entry starts
// a line of its own.
bool EndsWithLineEnd(const char* name) {
  std::FILE* file = fileOps->open(name, "rb");
  if (!file) return true;
  const bool ends = std::fseek(file, -1, SEEK_END) != 0 || std::getc(file) == '\n';
  std::fclose(file);
  return ends;
}

// Appends the pending blocks to the list, creating it when missing. A retry after a partial
// write may repeat an entry, which is harmless.
bool WritePendingBlocks() {
  if (pendingBlocks.empty()) return true;
  const char* name = ListFileName();
  const bool needsLineEnd = !EndsWithLineEnd(name);
  std::FILE* file = fileOps->open(name, "a");
  if (!file) return false;
  bool ok = !needsLineEnd || std::fputc('\n', file) != EOF;
  for (const BlockEntry& entry : pendingBlocks) ok = ok && WriteEntry(file, entry);
  if (!CloseWritten(file, ok)) return false;
  pendingBlocks.clear();
  return true;
}

// Reads the current, well-formed entries. False when the file could not be read to its end.
bool ReadCurrentEntries(std::FILE* file, long long now, std::vector<BlockEntry>& entries) {
  std::string line;
  BlockEntry entry;
  while (ReadLine(file, line)) {
    if (ParseEntry(line, entry) && IsCurrent(entry.stamp, now)) entries.push_back(entry);
  }
  return !std::ferror(file);
}

// Puts the pruned entries in place of the list through the temp file. Every failure leaves a
// whole list on disk: the old file until it is deleted, the temp file after that.
void ReplaceList(const std::vector<BlockEntry>& entries) {
  if (!WriteListFile(kBlockTempFileName, entries)) return;
  if (fileOps->remove(kBlockFileName) != 0) {
    fileOps->remove(kBlockTempFileName);
    return;
  }
  if (fileOps->rename(kBlockTempFileName, kBlockFileName) == 0) return;
  // Only the temp file holds the list now: write the list under its own name instead. Should
  // that fail too, the temp file stays and stands in for the list (ListFileName).
  if (WriteListFile(kBlockFileName, entries)) fileOps->remove(kBlockTempFileName);
}

bool Contains(const std::vector<BlockEntry>& entries, const char* id) {
  return std::any_of(entries.begin(), entries.end(), [id](const BlockEntry& entry) { return entry.id == id; });
}

bool IsStorableId(const char* id) {
  if (!id || !*id || std::strlen(id) > kMaxIdLength) return false;
  return std::none_of(id, id + std::strlen(id), IsBlank);
}

}  // namespace

int IsBlocked(const char* id, std::FILE* passLog, long long now) {
  if (!id) id = "";
  WritePendingBlocks();
  pendingBlocks.erase(std::remove_if(pendingBlocks.begin(), pendingBlocks.end(),
                                     [now](const BlockEntry& entry) { return !IsCurrent(entry.stamp, now); }),
                      pendingBlocks.end());
  bool blocked = Contains(pendingBlocks, id);

  const char* name = ListFileName();
  // In binary, like the search list: in text mode a Ctrl-Z byte would end the list there, and
  // the rewrite below would drop every entry after it.
  std::FILE* file = fileOps->open(name, "rb");
  if (!file) {
    if (passLog) WriteNoBlockfileLine(passLog);
    return blocked ? 1 : 0;
  }
  std::vector<BlockEntry> entries;
  const bool readWhole = ReadCurrentEntries(file, now, entries);
  std::fclose(file);
  blocked = blocked || Contains(entries, id);
  // The answer comes from what was read, so it holds whatever happens to the rewrite. A list
  // read only in part, or the temp file standing in for it, is not rewritten.
  if (readWhole && name == kBlockFileName) ReplaceList(entries);
  return blocked ? 1 : 0;
}

bool BlockItem(const char* id, long long now) {
  if (!IsStorableId(id)) return false;
  pendingBlocks.push_back({id, Stamp(now)});
  return WritePendingBlocks();
}

bool WritePendingBlocksNow() { return WritePendingBlocks(); }

void SetBlockFileOps(const BlockFileOps* ops) { fileOps = ops ? ops : &kLibraryOps; }
