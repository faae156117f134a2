// The manager's file paths, derived from the installation folder.
#pragma once
#include <cstddef>

constexpr std::size_t kManagerPathSize = 256;

// Four 256-byte buffers: the folder, the search list, the old search list and the pass log.
struct ManagerPaths {
  char folder[kManagerPathSize] = {};
  char searchList[kManagerPathSize] = {};
  char oldSearchList[kManagerPathSize] = {};
  char passLog[kManagerPathSize] = {};
  // Beside the four: the poller's search health file, empty when the folder leaves it no room.
  char searchHealth[kManagerPathSize] = {};
  // The same for the bargain history and the blocked auctions list with its temporary copy.
  char alertHistory[kManagerPathSize] = {};
  char blockedList[kManagerPathSize] = {};
  char blockedTemp[kManagerPathSize] = {};
};

// Fills paths from the folder: "%s\lotwise2.ini", "%s\lotwise.ini" and "%s\lotwise.txt".
// A null folder (the setting could not be read), or one too long for every derived path to fit
// its buffer, leaves the defaults "\lotwise2.ini" and "\lotwise.txt" at the root of the current
// drive with an empty folder and no old search list. Returns whether the folder was used.
bool DerivePaths(const char* folder, ManagerPaths& paths);
