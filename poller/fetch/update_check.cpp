// CheckForUpdate: replaces "version.html" with the current update-check page.
#include "poller/fetch/update_check.h"

#include <cstdio>

#include "poller/fetch/download_page.h"

void CheckForUpdate() {
  // Deleted first, so a failed fetch leaves no stale page behind. Neither outcome is reported:
  // the download shows its own messages.
  std::remove("version.html");
  DownloadPage(kUpdateCheckAddress, "version.html");
}
