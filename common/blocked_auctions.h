// The blocked auctions list ("blockedauctions.ini"): items the user never wants alerted again.
#pragma once
#include <cstdio>

#include "common/file_rewrite.h"

constexpr const char kBlockFileName[] = "blockedauctions.ini";
constexpr const char kBlockTempFileName[] = "blockedauctions.txt";
constexpr long long kBlockRetentionSeconds = 864000;  // ten days

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

// The file operations the list uses. Tests replace them to make single steps fail; null
// restores the C library's.
using BlockFileOps = FileOps;
void SetBlockFileOps(const BlockFileOps* ops);
