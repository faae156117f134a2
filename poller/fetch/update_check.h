// "-u": stores the update-check page as "version.html" in the working folder.
#pragma once

// The update-check page. Tests reach it through the system proxy setting, never the internet.
constexpr char kUpdateCheckAddress[] = "http://updates.rure.example/lotwise/version.html";

void CheckForUpdate();
