// File replacement in the Windows build: MoveFileEx, retried while a reader holds the target.
#include "common/file_replace.h"

#include <windows.h>
#include <io.h>

namespace {

// A reader (the poller at the start of a pass, the manager filling a list) holds the list open
// only while it reads it whole, a matter of milliseconds; two seconds covers a loaded machine.
constexpr int kReplaceTries = 100;
constexpr DWORD kReplaceRetryMs = 20;

}  // namespace

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool ReplaceFileAtomically(const char* from, const char* to) {
  // Windows refuses to replace a read-only file; Wine replaces it. Refused here on both, so a
  // list the user made read-only is never changed behind that mark.
  const DWORD attributes = GetFileAttributesA(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    // Only an open target is worth waiting for; a missing source or a full disk stays so.
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION) ||
        attempt == kReplaceTries)
      return false;
    Sleep(kReplaceRetryMs);
  }
}
