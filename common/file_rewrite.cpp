// Whole-file writes, and rewrites through a temporary file that replaces the target in one step.
#include "common/file_rewrite.h"

#include "common/file_replace.h"
#include "common/unique_file.h"

namespace {
std::FILE* LibraryOpen(const char* name, const char* mode) { return std::fopen(name, mode); }
int LibraryRemove(const char* name) { return std::remove(name); }
int LibraryRename(const char* from, const char* to) { return std::rename(from, to); }
}  // namespace

const FileOps kLibraryFileOps{LibraryOpen, LibraryRemove, LibraryRename};

bool ReadAllBytes(const std::string& path, std::string& bytes) {
  const UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) bytes.append(buffer, n);
  return std::ferror(file.get()) == 0;
}

bool WriteWholeFile(const FileOps& ops, const char* path, const std::string& bytes, const char* mode,
                    WriteDurability durability) {
  UniqueFile file(ops.open(path, mode));
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  if (durability == WriteDurability::OnDisk) ok = ok && FlushToDisk(file.get());
  ok = CloseChecked(std::move(file)) && ok;
  if (!ok) ops.remove(path);
  return ok;
}

bool WriteFileToDisk(const std::string& path, const std::string& bytes, const char* mode) {
  return WriteWholeFile(kLibraryFileOps, path.c_str(), bytes, mode, WriteDurability::OnDisk);
}

bool RewriteFileInOneStep(const char* path, const std::string& temporary, const std::string& bytes,
                          const char* mode, void (*written)()) {
  if (!WriteFileToDisk(temporary, bytes, mode)) return false;
  if (written) written();
  if (!ReplaceFileAtomically(temporary.c_str(), path)) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
