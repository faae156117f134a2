// The poller's reading of the search list at the start of a pass.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

enum class SearchListRead {
  Read,     // every line is in lines
  Missing,  // there is no list (a fresh installation): a pass over no search
  Failed,   // it exists but could not be opened (denied, locked) or read to its end
};
// Reads every line of the list at path.
SearchListRead ReadSearchList(const char* path, std::vector<std::string>& lines);

// Tests: replaces how the list is opened, so that a read can be made to fail; null restores
// OpenListForReading.
using SearchListOpener = std::FILE* (*)(const char* path);
void SetSearchListOpener(SearchListOpener open);
