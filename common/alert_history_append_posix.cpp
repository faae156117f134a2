// The bargain history's append in the native build: O_APPEND and one write().
#include "common/alert_history_append.h"

#include <fcntl.h>
#include <unistd.h>

bool AppendAlertHistoryLine(const char* path, const std::string& line) {
  const int file = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (file < 0) return false;
  const bool ok = write(file, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  return close(file) == 0 && ok;
}
