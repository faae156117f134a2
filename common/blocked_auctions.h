// The blocked auctions list ("blockedauctions.ini"): items the user never wants alerted again.
#pragma once
#include <cstdio>

#include "common/file_rewrite.h"

constexpr const char kBlockFileName[] = "blockedauctions.ini";
constexpr const char kBlockTempFileName[] = "blockedauctions.txt";
constexpr long long kBlockRetentionSeconds = 864000;  // ten days

// The list and its temporary copy by their paths. The poller's lookups and blocks use those of
// the current folder; the manager names the poller's folder.
struct BlockListFiles {
  const char* list;
  const char* temp;
};
constexpr BlockListFiles kBlockListHere{kBlockFileName, kBlockTempFileName};

// Both work on the files in the current folder; now is in seconds since 1970 UTC.
//
// 1 when id is blocked, else 0. Prunes entries ten days old or older first. When the list
// does not exist, writes "no blockfile" to passLog (unflushed) and answers 0.
int IsBlocked(const char* id, std::FILE* passLog, long long now);
// Appends id with the time now. False when the entry could not be written (it is then kept in
// memory, counts for IsBlocked and is written by the next call that can), or when id is not
// one word that fits a line of the list.
bool BlockItem(const char* id, long long now);

// Writes the blocks still kept in memory. True when none is left unwritten.
bool WritePendingBlocksNow();

enum class Unblocked {
  Removed,  // the list read by the next lookup holds no entry for the id any more
  NoEntry,  // there was none (or no list): nothing was written
  Failed,   // the list could not be read or rewritten: it is as it was
};
// Removes every entry for id, whatever its age, through the same steps as the lookup's pruning:
// every other line stays byte for byte, unreadable ones and line ends included. The caller
// holds the pass turn, so that no lookup rewrites the list meanwhile; blocks that a poller
// still keeps in memory are not reached.
Unblocked UnblockItem(const char* id, const BlockListFiles& files = kBlockListHere);

// When the newest entry for id that still counts (by the lookup's rule) was made, in seconds
// since 1970 UTC, read from the list without changing it; false when there is none, or no list
// to read. The block lasts until that moment plus kBlockRetentionSeconds.
bool NewestCurrentBlock(const char* id, long long now, long long* blockedAt,
                        const BlockListFiles& files = kBlockListHere);

// The file operations the list uses. Tests replace them to make single steps fail; null
// restores the C library's.
using BlockFileOps = FileOps;
void SetBlockFileOps(const BlockFileOps* ops);
