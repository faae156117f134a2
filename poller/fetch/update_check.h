// "-u": stores the update-check page as "version.html" in the working folder.
#pragma once

void CheckForUpdate();
