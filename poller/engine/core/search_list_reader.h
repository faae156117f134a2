// The poller's reading of the search list at the start of a pass.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// Reads every line of the list at path. False when the list cannot be opened, or cannot be
// read to its end.
bool ReadSearchList(const char* path, std::vector<std::string>& lines);

// Tests: replaces how the list is opened, so that a read can be made to fail; null restores
// OpenListForReading.
using SearchListOpener = std::FILE* (*)(const char* path);
void SetSearchListOpener(SearchListOpener open);
