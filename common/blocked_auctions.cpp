// Blocked auctions list: the lookup that prunes it, and blocking, both safe against failed file steps.
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
bool IsCurrent(std::int32_t stamp, long long now) {
  const auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(stamp));
  return age < kBlockRetentionSeconds;
}

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
const char* ListFileName() {
  if (!IsMissing(kBlockFileName) || !FileExists(kBlockTempFileName)) return kBlockFileName;
  return g_fileOps->rename(kBlockTempFileName, kBlockFileName) == 0 ? kBlockFileName : kBlockTempFileName;
}

// The entries as lines of the list.
std::string FormatEntries(const std::vector<BlockEntry>& entries) {
  std::string lines;
  for (const BlockEntry& entry : entries) lines += entry.id + ' ' + std::to_string(entry.stamp) + '\n';
  return lines;
}

// Creates (or empties) the file and writes the entries; a half-written file is removed.
bool WriteListFile(const char* name, const std::vector<BlockEntry>& entries) {
  return WriteWholeFile(*g_fileOps, name, FormatEntries(entries), "w", WriteDurability::Buffered);
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

// Puts the pruned entries in place of the list through the temp file. Every failure leaves a
// whole list on disk: the old file until it is deleted, the temp file after that.
void ReplaceList(const std::vector<BlockEntry>& entries) {
  if (!WriteListFile(kBlockTempFileName, entries)) return;
  if (g_fileOps->remove(kBlockFileName) != 0) {
    g_fileOps->remove(kBlockTempFileName);
    return;
  }
  if (g_fileOps->rename(kBlockTempFileName, kBlockFileName) == 0) return;
  // Only the temp file holds the list now: write the list under its own name instead. Should
  // that fail too, the temp file stays and stands in for the list (ListFileName).
  if (WriteListFile(kBlockFileName, entries)) g_fileOps->remove(kBlockTempFileName);
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
  if (readWhole && name == kBlockFileName) ReplaceList(entries);
  return blocked ? 1 : 0;
}

bool BlockItem(const char* id, long long now) {
  if (!IsStorableId(id)) return false;
  g_pendingBlocks.push_back({id, Stamp(now)});
  return WritePendingBlocks();
}

bool WritePendingBlocksNow() { return WritePendingBlocks(); }

void SetBlockFileOps(const BlockFileOps* ops) { g_fileOps = ops ? ops : &kLibraryFileOps; }
