// Adding one line to the bargain history: the seam between the portable format and the
// system's file calls.
#pragma once
#include <string>

// Appends line (a whole line from FormatAlertHistoryLine, CR LF included) at the end of the
// file at path, creating the file when it is missing, in a single write through a handle
// opened for appending only: the line lands whole after whatever the file holds at that
// moment, and a reader sharing the file meanwhile sees it whole or not at all. Readers and
// another appender may hold the file open. False when the file could not be opened or the
// line was not written whole.
bool AppendAlertHistoryLine(const char* path, const std::string& line);
