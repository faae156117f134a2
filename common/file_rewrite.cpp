// Whole-file rewrites through a temporary file that replaces the target in one step.
#include "common/file_rewrite.h"

#include <cstdio>

#include "common/file_replace.h"

namespace {

// fclose that reports a failed flush as well as a failed close.
bool CloseChecked(std::FILE* file) {
  const bool ok = std::ferror(file) == 0;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool ReadAllBytes(const std::string& path, std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool WriteFileToDisk(const std::string& path, const std::string& bytes, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = ok && FlushToDisk(file);
  ok = CloseChecked(file) && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
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
