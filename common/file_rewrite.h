// Writing a whole file, and rewriting one in one step: the new contents go to a temporary file
// and on the disk, then take the file's place, so a reader sees the old file or the new one,
// never a part.
#pragma once
#include <cstdio>
#include <string>

// The file calls a write goes through. Tests and fuzzers replace them to make single steps fail.
struct FileOps {
  std::FILE* (*open)(const char* name, const char* mode);
  int (*remove)(const char* name);
  int (*rename)(const char* from, const char* to);
};
// The C library's.
extern const FileOps kLibraryFileOps;

enum class WriteDurability {
  Buffered,  // closed and checked, left to the system's cache
  OnDisk,    // also put on the disk before the close, for a file about to replace another
};

// The whole file's bytes, appended to bytes; false when it cannot be opened or read.
bool ReadAllBytes(const std::string& path, std::string& bytes);

// Writes bytes to path (created or emptied) in the given fopen mode ("w" or "wb") through ops.
// A file that could not be written whole is removed. False when it failed.
bool WriteWholeFile(const FileOps& ops, const char* path, const std::string& bytes, const char* mode,
                    WriteDurability durability);

// Writes bytes to path with the C library, on the disk.
bool WriteFileToDisk(const std::string& path, const std::string& bytes, const char* mode);

// Writes bytes to temporary as WriteFileToDisk does, calls written (when given), then puts
// temporary in place of path in one step. On failure path is unchanged and temporary is gone.
bool RewriteFileInOneStep(const char* path, const std::string& temporary, const std::string& bytes,
                          const char* mode, void (*written)() = nullptr);
