// Opening an item's page on the auction site in the user's browser, from the results page
// and from the bargain history.
#pragma once
#include <string>

// Through an Internet shortcut in the user's temporary folder, removed once the shell's helper
// has read it; an id that could name a file elsewhere opens nothing.
void OpenItemPage(const std::string& id);
