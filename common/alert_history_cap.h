// Keeping the bargain history short: past kAlertHistoryCapLines lines, the file is rewritten
// in one step with its newest kAlertHistoryKeptLines lines.
#pragma once
#include <cstddef>
#include <string>

constexpr int kAlertHistoryKeptLines = 10000;
constexpr int kAlertHistoryCapLines = 11000;  // the slack spares a rewrite after every alert
// Newest lines longer than this together are not those of a history (no entry is longer than
// kAlertHistoryLongestLine): such a file is left as it is rather than read into memory.
constexpr std::size_t kAlertHistoryMostKeptBytes = 64 * 1024 * 1024;

enum class AlertHistoryCap {
  Untouched,  // no file, or no more than kAlertHistoryCapLines lines
  Capped,     // rewritten with the newest kAlertHistoryKeptLines lines
  Failed,     // it could not be read or rewritten: the file is as it was
};

// Counts the file's lines by their LF ends, whatever they hold, and when there are more than
// kAlertHistoryCapLines, puts the bytes after the first (count - kAlertHistoryKeptLines) line
// ends in its place, through TemporaryAlertHistoryPath(path): every kept line byte for byte,
// those that do not read as entries included, and a last line without its end too. Nothing
// it meets escapes as an exception, since a pass must go on whatever the file holds. The
// poller is the file's one writer: a line it appended during the rewrite would be lost.
AlertHistoryCap CapAlertHistory(const char* path) noexcept;

// path + ".tmp".
std::string TemporaryAlertHistoryPath(const char* path);
