// Rewriting a whole file in one step: the new contents go to a temporary file and on the
// disk, then take the file's place, so a reader sees the old file or the new one, never a part.
#pragma once
#include <string>

// The whole file's bytes, appended to bytes; false when it cannot be opened or read.
bool ReadAllBytes(const std::string& path, std::string& bytes);

// Writes bytes to path (truncating it) in the given fopen mode ("w" or "wb") and puts them on
// the disk. A file that could not be written whole is removed. False when it failed.
bool WriteFileToDisk(const std::string& path, const std::string& bytes, const char* mode);

// Writes bytes to temporary as WriteFileToDisk does, calls written (when given), then puts
// temporary in place of path in one step. On failure path is unchanged and temporary is gone.
bool RewriteFileInOneStep(const char* path, const std::string& temporary, const std::string& bytes,
                          const char* mode, void (*written)() = nullptr);
