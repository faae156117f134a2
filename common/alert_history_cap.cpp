// The bargain history's cap: count the line ends, then rewrite with the newest lines.
#include "common/alert_history_cap.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/file_rewrite.h"
#include "common/unique_file.h"

namespace {

// The bytes of the file behind its first skipLines line ends; false when they could not be
// read or would be more than kAlertHistoryMostKeptBytes.
bool ReadNewestLines(std::FILE* file, long long skipLines, std::string* kept) {
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    const char* at = buffer;
    const char* const end = buffer + n;
    while (skipLines > 0 && at < end) {
      const void* lineEnd = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
      if (!lineEnd) {
        at = end;
        break;
      }
      at = static_cast<const char*>(lineEnd) + 1;
      --skipLines;
    }
    const std::size_t rest = static_cast<std::size_t>(end - at);
    if (kept->size() + rest > kAlertHistoryMostKeptBytes) return false;
    kept->append(at, rest);
  }
  return std::ferror(file) == 0;
}

AlertHistoryCap Cap(const char* path) {
  std::string kept;
  {
    errno = 0;
    const UniqueFile file(std::fopen(path, "rb"));
    if (!file) return errno == ENOENT ? AlertHistoryCap::Untouched : AlertHistoryCap::Failed;
    long long lines = 0;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
      lines += std::count(buffer, buffer + n, '\n');
    if (std::ferror(file.get())) return AlertHistoryCap::Failed;
    if (lines <= kAlertHistoryCapLines) return AlertHistoryCap::Untouched;
    std::rewind(file.get());
    if (!ReadNewestLines(file.get(), lines - kAlertHistoryKeptLines, &kept)) return AlertHistoryCap::Failed;
  }  // closed before the replace: Windows replaces no file that is open
  // Binary mode: the kept bytes go back as they were, CR LF and all.
  return RewriteFileInOneStep(path, TemporaryAlertHistoryPath(path), kept, "wb") ? AlertHistoryCap::Capped
                                                                                  : AlertHistoryCap::Failed;
}

}  // namespace

AlertHistoryCap CapAlertHistory(const char* path) noexcept {
  try {
    return Cap(path);
  } catch (...) {  // out of memory: the file stays as it was
    return AlertHistoryCap::Failed;
  }
}

std::string TemporaryAlertHistoryPath(const char* path) { return std::string(path) + ".tmp"; }
