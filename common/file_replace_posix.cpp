// File replacement in the native build: rename replaces its target atomically.
#include "common/file_replace.h"

#include <unistd.h>

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool ReplaceFileAtomically(const char* from, const char* to) { return std::rename(from, to) == 0; }
