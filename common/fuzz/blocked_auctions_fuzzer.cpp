// libFuzzer target: lookups, blocks and unblocks on any bytes as the blocked auctions list, with
// file steps failing on demand; the answers and the list must match a plain model of the entries.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/file_rewrite.h"
#include "common/fuzz/fuzz_support.h"
#include "common/blocked_auctions.h"

namespace {

constexpr long long kNow = 1700000000;  // every step runs at this moment
constexpr std::size_t kLineLimit = 255;
constexpr std::size_t kMaxId = 243;

struct Entry {
  std::string id;
  long long stamp;
  bool maybe = false;  // an unblock that met a failing step may or may not have removed it
};

// The entries of a list the plain way: each line cut to 255 bytes, a word, blanks, a signed
// decimal that fits 32 bits; whatever follows is ignored.
std::vector<Entry> ParseList(const std::string& bytes) {
  std::vector<Entry> entries;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, std::min(end - start, kLineLimit));
    start = end + 1;
    std::size_t i = 0;
    while (i < line.size() && IsScanBlank(line[i])) ++i;
    const std::size_t idStart = i;
    while (i < line.size() && !IsScanBlank(line[i])) ++i;
    if (i == idStart) continue;
    Entry entry{line.substr(idStart, i - idStart), 0};
    while (i < line.size() && IsScanBlank(line[i])) ++i;
    const bool negative = i < line.size() && line[i] == '-';
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    if (i >= line.size() || line[i] < '0' || line[i] > '9') continue;
    bool fits = true;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
      if (fits) entry.stamp = entry.stamp * 10 + (line[i] - '0');
      if (entry.stamp > 4294967296LL) fits = false;
    }
    if (negative) entry.stamp = -entry.stamp;
    if (fits && entry.stamp >= INT32_MIN && entry.stamp <= INT32_MAX) entries.push_back(entry);
  }
  return entries;
}

// Ages count modulo 2^32, so the 32-bit stamps keep working after 2038.
bool IsCurrent(long long stamp) {
  const auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(kNow) - static_cast<std::uint32_t>(stamp));
  return age < 864000;
}

std::string Serialised(const std::vector<Entry>& entries) {
  std::string bytes;
  for (const Entry& entry : entries) bytes += entry.id + ' ' + std::to_string(entry.stamp) + '\n';
  return bytes;
}

std::vector<Entry> Current(const std::vector<Entry>& entries) {
  std::vector<Entry> current;
  for (const Entry& entry : entries)
    if (IsCurrent(entry.stamp)) current.push_back(entry);
  return current;
}

// Whether id has a current entry; a sure one only, unless maybe ones count too.
bool Holds(const std::vector<Entry>& entries, const std::string& id, bool countMaybe = false) {
  for (const Entry& entry : entries)
    if (entry.id == id && IsCurrent(entry.stamp) && (countMaybe || !entry.maybe)) return true;
  return false;
}

// The list's bytes without the lines that hold an entry for id, every other byte kept.
std::string WithoutEntriesOf(const std::string& bytes, const std::string& id, bool* found) {
  std::string kept;
  *found = false;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    const std::vector<Entry> entry = ParseList(bytes.substr(start, std::min(next, end) - start));
    if (!entry.empty() && entry[0].id == id)
      *found = true;
    else
      kept += bytes.substr(start, next - start);
    start = next;
  }
  return kept;
}

const char* Named(Unblocked result) {
  return result == Unblocked::Removed ? "Removed" : result == Unblocked::NoEntry ? "NoEntry" : "Failed";
}

bool StorableId(const std::string& id) {
  if (id.empty() || id.size() > kMaxId) return false;
  for (char c : id)
    if (IsScanBlank(c)) return false;
  return true;
}

// The file steps of one call fail as the fault bits say.
constexpr unsigned kListLocked = 1;  // every open of the list fails, as when another process holds it
constexpr unsigned kNoTemp = 2;      // the temp file cannot be created
constexpr unsigned kTempFull = 4;    // writes to the temp file fail
constexpr unsigned kNoRemove = 8;    // no file can be deleted
constexpr unsigned kNoRename = 16;   // the rename fails
constexpr unsigned kListFull = 32;   // writes to the list fail
unsigned g_faults = 0;
bool g_listReadRefused = false;

bool Is(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

// A stream on which every write fails, after the file itself was created or emptied as the
// mode says (so a failed rewrite leaves what a full disk would).
std::FILE* FullDisk(const char* name, const char* mode) {
  std::FILE* real = std::fopen(name, mode);
  if (!real) return nullptr;
  std::fclose(real);
  return std::fopen("/dev/full", "w");
}

std::FILE* FaultyOpen(const char* name, const char* mode) {
  const bool writing = mode[0] == 'w' || mode[0] == 'a';
  if (Is(name, kBlockFileName) || Is(name, kBlockTempFileName)) {
    if ((g_faults & kListLocked) && Is(name, kBlockFileName)) {
      if (!writing) g_listReadRefused = true;
      errno = FileExists(name) ? EACCES : ENOENT;  // what the C library says of a locked file
      return nullptr;
    }
    if (writing && Is(name, kBlockTempFileName) && (g_faults & kNoTemp)) return nullptr;
    if (writing && Is(name, kBlockTempFileName) && (g_faults & kTempFull)) return FullDisk(name, mode);
    if (writing && Is(name, kBlockFileName) && (g_faults & kListFull)) return FullDisk(name, mode);
  }
  return std::fopen(name, mode);
}
int FaultyRemove(const char* name) { return (g_faults & kNoRemove) ? -1 : std::remove(name); }
int FaultyRename(const char* from, const char* to) { return (g_faults & kNoRename) ? -1 : std::rename(from, to); }
const BlockFileOps kFaultyOps{FaultyOpen, FaultyRemove, FaultyRename};

// A file's bytes, or nothing when it is missing.
std::optional<std::string> ReadOrMissing(const char* name) {
  std::string bytes;
  if (!ReadAllBytes(name, bytes)) return std::nullopt;
  return bytes;
}

std::string Shown(const std::optional<std::string>& file) { return file ? Escaped(*file) : "(missing)"; }

// The list as a step finds it: the temp file stands in for a missing list.
std::optional<std::string> StandingList() {
  return FileExists(kBlockFileName) ? ReadOrMissing(kBlockFileName) : ReadOrMissing(kBlockTempFileName);
}

std::string Shown(const std::vector<Entry>& entries) { return Escaped(Serialised(entries)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The list lives in the current folder: work in the scratch folder, and come back after
  // each input, where libFuzzer keeps its corpus.
  static const ScratchFolder folder;
  static const std::string home = std::filesystem::current_path().string();
  folder.Clear();
  if (chdir(folder.Path().c_str()) != 0) FuzzFail("chdir", folder.Path());
  SetBlockFileOps(&kFaultyOps);

  FuzzedDataProvider provider(data, size);
  // The steps come from the end of the input, the list from the rest.
  struct Step {
    bool block;
    bool unblock;
    unsigned idChoice;
    unsigned faults;
  };
  const int layout = provider.ConsumeIntegralInRange(0, 3);
  std::vector<Step> steps(provider.ConsumeIntegralInRange(1, 6));
  for (Step& step : steps) {
    step.block = provider.ConsumeBool();
    step.idChoice = provider.ConsumeIntegral<std::uint16_t>();
    // The fault bits' spare bit makes a lookup an unblock.
    const unsigned bits = provider.ConsumeBool() ? provider.ConsumeIntegral<std::uint8_t>() : 0;
    step.faults = bits & 63;
    step.unblock = !step.block && (bits & 64) != 0;
  }
  const std::string bytes = provider.ConsumeRemainingBytesAsString();

  // 0: the list alone; 1: no list yet; 2: only the temp file, left by a lookup cut off after
  // deleting the list; 3: the list beside a stale temp file, which must never come back.
  if (layout == 0 || layout == 3) WriteFileOrFail(kBlockFileName, bytes);
  if (layout == 2) WriteFileOrFail(kBlockTempFileName, bytes);
  if (layout == 3) WriteFileOrFail(kBlockTempFileName, "stale 1700000000\n");
  std::vector<Entry> model = layout == 1 ? std::vector<Entry>() : ParseList(bytes);

  std::vector<std::string> ids;
  for (const Entry& entry : model) ids.push_back(entry.id.c_str());
  if (!model.empty()) {
    std::string variant = model[0].id.c_str();
    ids.push_back(variant.substr(0, variant.size() - 1));  // a prefix
    for (char& c : variant) c = static_cast<char>(c ^ 0x20);
    ids.push_back(variant);  // another letter case
  }
  for (const char* id : {"1043398201", "", "two words", "tab\tid", "stale"}) ids.push_back(id);
  ids.push_back(std::string(kMaxId, 'x'));
  ids.push_back(std::string(kMaxId + 1, 'y'));

  // LOTWISE_FUZZ_TRACE set: every step goes to stderr, for reading a kept input.
  const bool trace = std::getenv("LOTWISE_FUZZ_TRACE") != nullptr;
  if (trace) std::fprintf(stderr, "layout %d, list %s\n", layout, Escaped(bytes).c_str());
  bool exact = true;  // until a step fails, the list is known byte for byte
  std::FILE* passLog = std::tmpfile();
  for (const Step& step : steps) {
    const std::string id = ids[step.idChoice % ids.size()];
    g_faults = step.faults;
    g_listReadRefused = false;
    const std::optional<std::string> before = StandingList();
    const bool hadList = FileExists(kBlockFileName) || FileExists(kBlockTempFileName);
    const long logSize = std::ftell(passLog);
    if (trace)
      std::fprintf(stderr, "%s %s, faults %u\n", step.block ? "BlockItem" : step.unblock ? "UnblockItem" : "IsBlocked",
                   Escaped(id).c_str(), g_faults);
    if (step.unblock) {
      const Unblocked result = UnblockItem(id.c_str());
      bool listed = false;
      const std::optional<std::string> want = before ? WithoutEntriesOf(*before, id, &listed) : before;
      const std::optional<std::string> now = StandingList();
      if (now) {
        bool left = false;
        WithoutEntriesOf(*now, id, &left);
        if (result == Unblocked::Removed && left) FuzzFail("UnblockItem", "Removed, but the list holds " + Escaped(id));
      }
      if (exact && now != before && now != want)
        FuzzFail("UnblockItem", "list neither old nor new: " + Shown(now) + " | want " + Shown(want));
      if (!g_faults && exact) {
        const Unblocked wanted = listed ? Unblocked::Removed : Unblocked::NoEntry;
        if (result != wanted) FuzzFail("UnblockItem", std::string(Named(result)) + " | want " + Named(wanted));
        if (now != want) FuzzFail("UnblockItem", "list " + Shown(now) + " | want " + Shown(want));
        if (result == Unblocked::Removed && FileExists(kBlockTempFileName)) FuzzFail("UnblockItem", "temp file left");
      }
      // Blocks that a failed write left in memory are not the list's: they come back when written.
      for (Entry& entry : model)
        if (entry.id == id) entry.maybe = true;
      if (!g_faults && exact)
        model.erase(std::remove_if(model.begin(), model.end(), [&id](const Entry& entry) { return entry.id == id; }),
                    model.end());
    } else if (step.block) {
      const bool stored = BlockItem(id.c_str(), kNow);
      if (StorableId(id)) model.push_back({id, static_cast<std::int32_t>(kNow)});
      if (!g_faults && stored != StorableId(id)) FuzzFail("BlockItem", Escaped(id) + (stored ? " stored" : " refused"));
      if (!g_faults && exact) {
        // A refused id changes nothing; a stored one is appended to the list, which a lone
        // temp file has become.
        std::optional<std::string> want = before;
        if (stored) {
          if (!want) want.emplace();
          if (!want->empty() && want->back() != '\n') *want += '\n';
          *want += id + ' ' + std::to_string(kNow) + '\n';
        }
        const std::optional<std::string> now = stored ? ReadOrMissing(kBlockFileName) : StandingList();
        if (now != want) FuzzFail("BlockItem", "list " + Shown(now) + " | want " + Shown(want));
      }
    } else {
      const int answer = IsBlocked(id.c_str(), passLog, kNow);
      const bool want = Holds(model, id);
      const bool mayWant = Holds(model, id, true);
      if (!g_listReadRefused && ((answer && !mayWant) || (!answer && want)))
        FuzzFail("IsBlocked", Escaped(id) + " answered " + std::to_string(answer) + " in " + Shown(model));
      if (g_listReadRefused && answer && !mayWant) FuzzFail("IsBlocked", "blocked an id never blocked: " + Escaped(id));
      if (!g_faults && exact) {
        std::fflush(passLog);
        const bool logged = std::ftell(passLog) != logSize;
        if (logged == hadList) FuzzFail("IsBlocked", hadList ? "no blockfile with a list" : "no blockfile not logged");
        if (hadList && ReadOrMissing(kBlockFileName) != Serialised(Current(model)))
          FuzzFail("IsBlocked", "pruned list " + Shown(ReadOrMissing(kBlockFileName)) + " | want " + Shown(Current(model)));
        if (FileExists(kBlockTempFileName)) FuzzFail("IsBlocked", "temp file left");
      }
    }
    if (g_faults) exact = false;
  }
  std::fclose(passLog);

  // With the file steps working again, one lookup writes what is pending and prunes: every
  // current entry is in the list, and nothing else is.
  g_faults = 0;
  IsBlocked("", nullptr, kNow);
  const std::vector<Entry> current = Current(model);
  const std::optional<std::string> finalList = ReadOrMissing(kBlockFileName);
  const std::vector<Entry> listed = finalList ? ParseList(*finalList) : std::vector<Entry>();
  for (const Entry& entry : current) {
    if (entry.maybe) continue;
    bool found = false;
    for (const Entry& got : listed) found = found || (got.id == entry.id && got.stamp == entry.stamp);
    if (!found) FuzzFail("entry lost", Escaped(entry.id) + " from " + Shown(finalList) + " | want " + Shown(current));
  }
  for (const Entry& got : listed) {
    bool known = false;
    for (const Entry& entry : current) known = known || (got.id == entry.id && got.stamp == entry.stamp);
    if (!known) FuzzFail("entry from nowhere", Escaped(got.id) + " in " + Shown(finalList));
  }
  if (exact && finalList && *finalList != Serialised(current))
    FuzzFail("final list", Shown(finalList) + " | want " + Shown(current));
  if (FileExists(kBlockTempFileName)) FuzzFail("final lookup", "temp file left: " + Shown(ReadOrMissing(kBlockTempFileName)));
  SetBlockFileOps(nullptr);
  if (chdir(home.c_str()) != 0) FuzzFail("chdir", home);
  return 0;
}
