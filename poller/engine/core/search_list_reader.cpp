// The whole search list, read at once: the file is open only for as long as the reading takes,
// so the manager's rewrites never wait for a pass, and the pass sees the list either before or
// after a change.
#include "poller/engine/core/search_list_reader.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include "common/search_list.h"
#include "common/unique_file.h"

namespace {

// A rewrite by the manager takes milliseconds; a second of retries outlasts it on a loaded machine.
constexpr int kListOpenTries = 50;
constexpr std::chrono::milliseconds kListOpenRetry(20);

SearchListOpener g_listOpener = OpenListForReading;

}  // namespace

SearchListRead ReadSearchList(const char* path, std::vector<std::string>& lines) {
  // While the manager puts a new list in place, opening it can fail for a moment (Wine refuses
  // it during the replacement): only a failure that lasts is one.
  UniqueFile list;
  int openError = 0;
  for (int attempt = 1;; ++attempt) {
    errno = 0;
    list = UniqueFile(g_listOpener(path));
    openError = errno;
    if (list || attempt >= kListOpenTries) break;
    std::this_thread::sleep_for(kListOpenRetry);
  }
  // No list yet is the normal state of a fresh installation until the first search is added.
  if (!list) return openError == ENOENT ? SearchListRead::Missing : SearchListRead::Failed;
  // A list cut off by a read error would pass for a whole one with its last searches missing.
  return ReadFileLines(list.get(), kSearchListLineCap, lines) ? SearchListRead::Read : SearchListRead::Failed;
}

void SetSearchListOpener(SearchListOpener open) { g_listOpener = open ? open : OpenListForReading; }
