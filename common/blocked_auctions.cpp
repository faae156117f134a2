// Blocked auctions list: the lookup that prunes it, blocking and unblocking, all safe against
// failed file steps.
#include "common/blocked_auctions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_lines.h"
#include "common/pass_log.h"
#include "common/text_scan.h"
#include "common/unique_file.h"

namespace {

// Of a longer line only the first 255 characters count, so the rest never passes for an entry.
constexpr std::size_t kBlockedListLineCap = 255;
// An entry line is the id, a blank and at most 11 characters of time stamp.
constexpr std::size_t kMaxIdLength = kBlockedListLineCap - 12;

struct BlockEntry {
  std::string id;
  std::int32_t stamp;
};

const BlockFileOps* g_fileOps = &kLibraryFileOps;

// Blocks that could not be written yet. The user's choice holds for the rest of the process,
// and the next call that can write them does.
std::vector<BlockEntry> g_pendingBlocks;

// The file keeps time stamps as signed 32-bit numbers.
std::int32_t Stamp(long long now) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(now)); }

// The age is taken modulo 2^32, so that stamps written after the 32-bit count wraps (2038)
// still age normally. A stamp in the future has a negative age and stays.
std::int32_t Age(std::int32_t stamp, long long now) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(stamp));
}
bool IsCurrent(std::int32_t stamp, long long now) { return Age(stamp, now) < kBlockRetentionSeconds; }

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Scans "%s %ld": a word, then a time stamp; the rest is ignored.
bool ParseEntry(const std::string& line, BlockEntry& entry) {
  std::string_view rest(line);
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  const auto idLength = static_cast<std::size_t>(std::find_if(rest.begin(), rest.end(), IsBlank) - rest.begin());
  if (idLength == 0) return false;
  entry.id.assign(rest.data(), idLength);
  rest.remove_prefix(idLength);
  return ScanStamp(rest, entry.stamp);
}

bool FileExists(const char* name) { return UniqueFile(g_fileOps->open(name, "r")) != nullptr; }

// True only when the file is known not to exist: a list that another process holds open, or
// that cannot be read for any other reason, is still the list.
bool IsMissing(const char* name) {
  errno = 0;
  const UniqueFile file(g_fileOps->open(name, "r"));
  return !file && errno == ENOENT;
}

// The list is "blockedauctions.ini". A lookup cut off between deleting it and renaming its
// pruned copy leaves only the copy: it is put back, and while that fails it serves as the list.
// A list that exists but cannot be opened keeps its name, so that no block goes into the copy,
// which the next lookup overwrites.
const char* ListFileName(const BlockListFiles& files = kBlockListHere) {
  if (!IsMissing(files.list) || !FileExists(files.temp)) return files.list;
  return g_fileOps->rename(files.temp, files.list) == 0 ? files.list : files.temp;
}

// The entries as lines of the list.
std::string FormatEntries(const std::vector<BlockEntry>& entries) {
  std::string lines;
  for (const BlockEntry& entry : entries) lines += entry.id + ' ' + std::to_string(entry.stamp) + '\n';
  return lines;
}

// Creates (or empties) the file and writes the lines; a half-written file is removed.
bool WriteListFile(const char* name, const std::string& lines, const char* mode) {
  return WriteWholeFile(*g_fileOps, name, lines, mode, WriteDurability::Buffered);
}

// True when the file is missing, empty or ends with a line end, so an appended entry starts
// a line of its own.
bool EndsWithLineEnd(const char* name) {
  const UniqueFile file(g_fileOps->open(name, "rb"));
  return !file || std::fseek(file.get(), -1, SEEK_END) != 0 || std::getc(file.get()) == '\n';
}

// Appends the pending blocks to the list, creating it when missing. A retry after a partial
// write may repeat an entry, which is harmless.
bool WritePendingBlocks() {
  if (g_pendingBlocks.empty()) return true;
  const char* name = ListFileName();
  const bool needsLineEnd = !EndsWithLineEnd(name);
  UniqueFile file(g_fileOps->open(name, "a"));
  if (!file) return false;
  const std::string lines = (needsLineEnd ? "\n" : "") + FormatEntries(g_pendingBlocks);
  const bool written = std::fwrite(lines.data(), 1, lines.size(), file.get()) == lines.size();
  if (!CloseChecked(std::move(file)) || !written) return false;
  g_pendingBlocks.clear();
  return true;
}

// Reads the current, well-formed entries. False when the file could not be read to its end.
bool ReadCurrentEntries(std::FILE* file, long long now, std::vector<BlockEntry>& entries) {
  std::string line;
  BlockEntry entry;
  while (ReadFileLine(file, kBlockedListLineCap, line)) {
    if (ParseEntry(line, entry) && IsCurrent(entry.stamp, now)) entries.push_back(entry);
  }
  return !std::ferror(file);
}

// Puts the new lines in place of the list through the temp file. Every failure leaves a whole
// list on disk: the old file until it is deleted, the temp file after that. True when the next
// lookup reads the new lines, under the list's name or from the temp file standing in for it.
bool ReplaceList(const BlockListFiles& files, const std::string& lines, const char* mode) {
  if (!WriteListFile(files.temp, lines, mode)) return false;
  if (g_fileOps->remove(files.list) != 0) {
    g_fileOps->remove(files.temp);
    return false;
  }
  if (g_fileOps->rename(files.temp, files.list) == 0) return true;
  // Only the temp file holds the list now: write the list under its own name instead. Should
  // that fail too, the temp file stays and stands in for the list (ListFileName).
  if (WriteListFile(files.list, lines, mode)) g_fileOps->remove(files.temp);
  return true;
}

// The whole file through the list's file operations; false when it cannot be read to its end.
bool ReadListBytes(const char* name, std::string& bytes) {
  const UniqueFile file(g_fileOps->open(name, "rb"));
  if (!file) return false;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) bytes.append(buffer, n);
  return !std::ferror(file.get());
}

// Each physical line of bytes, its line end included, and the entry it holds, as the lookup
// reads it (of a longer line only the first kBlockedListLineCap bytes count).
template <typename Visit>
void ForEachListLine(const std::string& bytes, Visit visit) {
  BlockEntry entry;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    const std::size_t length = std::min(next, end) - start;
    const bool parsed = ParseEntry(bytes.substr(start, std::min(length, kBlockedListLineCap)), entry);
    visit(std::string_view(bytes).substr(start, next - start), parsed ? &entry : nullptr);
    start = next;
  }
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
  g_pendingBlocks.erase(std::remove_if(g_pendingBlocks.begin(), g_pendingBlocks.end(),
                                     [now](const BlockEntry& entry) { return !IsCurrent(entry.stamp, now); }),
                      g_pendingBlocks.end());
  bool blocked = Contains(g_pendingBlocks, id);

  const char* name = ListFileName();
  // In binary, like the search list: in text mode a Ctrl-Z byte would end the list there, and
  // the rewrite below would drop every entry after it.
  UniqueFile file(g_fileOps->open(name, "rb"));
  if (!file) {
    if (passLog) WriteNoBlockfileLine(passLog);
    return blocked ? 1 : 0;
  }
  std::vector<BlockEntry> entries;
  const bool readWhole = ReadCurrentEntries(file.get(), now, entries);
  file.reset();  // closed before the rewrite deletes it
  blocked = blocked || Contains(entries, id);
  // The answer comes from what was read, so it holds whatever happens to the rewrite. A list
  // read only in part, or the temp file standing in for it, is not rewritten.
  if (readWhole && name == kBlockFileName) ReplaceList(kBlockListHere, FormatEntries(entries), "w");
  return blocked ? 1 : 0;
}

bool BlockItem(const char* id, long long now) {
  if (!IsStorableId(id)) return false;
  g_pendingBlocks.push_back({id, Stamp(now)});
  return WritePendingBlocks();
}

bool WritePendingBlocksNow() { return WritePendingBlocks(); }

void SetBlockFileOps(const BlockFileOps* ops) { g_fileOps = ops ? ops : &kLibraryFileOps; }

Unblocked UnblockItem(const char* id, const BlockListFiles& files) {
  if (!id) id = "";
  const char* name = ListFileName(files);
  std::string bytes;
  if (!ReadListBytes(name, bytes)) return IsMissing(name) ? Unblocked::NoEntry : Unblocked::Failed;
  std::string kept;
  bool found = false;
  ForEachListLine(bytes, [&](std::string_view line, const BlockEntry* entry) {
    if (entry && entry->id == id)
      found = true;
    else
      kept.append(line);
  });
  if (!found) return Unblocked::NoEntry;
  // A temp file standing in for a list it could not be renamed to is not rewritten: a write
  // cut short would leave no list at all.
  if (name != files.list) return Unblocked::Failed;
  // Binary, so that every kept line goes back with the very bytes it had.
  return ReplaceList(files, kept, "wb") ? Unblocked::Removed : Unblocked::Failed;
}

bool NewestCurrentBlock(const char* id, long long now, long long* blockedAt, const BlockListFiles& files) {
  if (!id) id = "";
  // Read only: while a lookup's copy stands in for a deleted list, the copy is read instead.
  std::string bytes;
  if (!ReadListBytes(files.list, bytes) && (!IsMissing(files.list) || !ReadListBytes(files.temp, bytes))) return false;
  bool found = false;
  std::int32_t youngest = 0;
  ForEachListLine(bytes, [&](std::string_view, const BlockEntry* entry) {
    if (!entry || entry->id != id || !IsCurrent(entry->stamp, now)) return;
    const std::int32_t age = Age(entry->stamp, now);
    if (!found || age < youngest) youngest = age;
    found = true;
  });
  if (found) *blockedAt = now - youngest;
  return found;
}
