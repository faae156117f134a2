// Path derivation from the folder setting.
#include "manager/core/manager_paths.h"

#include <cstdio>
#include <cstring>

#include "common/alert_history.h"
#include "common/blocked_auctions.h"
#include "common/pass_log.h"
#include "common/search_health_file.h"
#include "common/search_list.h"

namespace {

template <std::size_t N>
bool Join(char (&out)[N], const char* folder, const char* name) {
  const int length = std::snprintf(out, N, "%s\\%s", folder, name);
  return length >= 0 && static_cast<std::size_t>(length) < N;
}

// The files beside the four: each path is left empty when the folder leaves its name no room.
void JoinFilesBeside(ManagerPaths& paths, const char* folder) {
  if (!Join(paths.searchHealth, folder, kSearchHealthName)) paths.searchHealth[0] = '\0';
  if (!Join(paths.alertHistory, folder, kAlertHistoryName)) paths.alertHistory[0] = '\0';
  if (!Join(paths.blockedList, folder, kBlockFileName) || !Join(paths.blockedTemp, folder, kBlockTempFileName))
    paths.blockedList[0] = paths.blockedTemp[0] = '\0';
}

}  // namespace

bool DerivePaths(const char* folder, ManagerPaths& paths) {
  ManagerPaths derived;
  // The folder must leave room for every name joined to it, not just the longest one tested.
  const bool usable = folder && std::strlen(folder) < kManagerPathSize && Join(derived.searchList, folder, kSearchListName) &&
                      Join(derived.oldSearchList, folder, kOldSearchListName) && Join(derived.passLog, folder, kPassLogName);
  if (!usable) {
    derived = ManagerPaths();
    Join(derived.searchList, "", kSearchListName);
    Join(derived.passLog, "", kPassLogName);
    JoinFilesBeside(derived, "");
  } else {
    std::snprintf(derived.folder, sizeof derived.folder, "%s", folder);
    // Not one of the four: a folder that fits them but not these names still serves them.
    JoinFilesBeside(derived, folder);
  }
  paths = derived;
  return usable;
}
