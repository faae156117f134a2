// Rows of the search list page: one per line of the search list file, in three forms.
#pragma once
#include <string>

#include "common/search_list.h"

// Tab stops of the search list, in dialog units.
constexpr int kSearchListTabStops[] = {200, 260, 302, 350, 400};

// Loading the list: "%s\t%.2f\t%d\t%d\t%d" (description, price, days, hours, minutes).
std::string FormatLoadedRow(const char* line);
// After adding: "%s\t%s\t%s\t%s\t%s", the texts as typed (description, price, days, hours, minutes).
std::string FormatAddedRow(const SearchTexts& texts);
// Refilling after a change: "%s\t%.2f\t%s\t%s\t%s" (price as a number, the rest as stored).
std::string FormatChangedRow(const char* line);

// A line that does not read as a search still gets its row, so that row i stays line i + 1
// and the line can be changed or deleted: its text, marked, without tabs.
std::string FormatUnreadableRow(const char* line);
