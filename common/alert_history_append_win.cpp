// The bargain history's append in the Windows build: a handle with append access only, one
// WriteFile. Not the C library's text-mode append, which would double the CR of CR LF and
// could split the line into several writes.
#include "common/alert_history_append.h"

#include <windows.h>

bool AppendAlertHistoryLine(const char* path, const std::string& line) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end of the file.
  const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                  written == line.size();
  return CloseHandle(file) && ok;
}
