// Putting a finished file in place of another in one step: the seam between the portable
// rewrites and the system's file calls.
#pragma once
#include <cstdio>

// Flushes the file's buffers and asks the system to put its data on the disk. False when
// either failed; the file stays open.
bool FlushToDisk(std::FILE* file);

// Moves from over to, replacing to in one step: a reader opening to finds either the old or
// the new file, never a part of one. While another process holds to open (a reader of the old
// file) the move is retried for a short while. False when it did not happen; from then stays.
bool ReplaceFileAtomically(const char* from, const char* to);
