// Reading the pass log back: the items of the last pass, which of them raised an alert, and
// when the pass began.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_lines.h"

constexpr std::size_t kLoggedDescriptionLength = 45;  // the results list shows this much
// Lines are read whole: an item line holds a description of any length.
constexpr std::size_t kPassLogLineCap = kWholeLine;

struct LoggedItem {
  std::string id;           // the first word after "ID:"
  std::string description;  // the description field cut to 45 bytes, the log's blanks kept
  int bids = 0;
  float price = 0;
  int days = 0;
  int hours = 0;
  int minutes = 0;
  bool alerted = false;     // an alert line stood directly before the item line
};

struct PassLogContents {
  std::vector<LoggedItem> items;
  std::string lastSearch;   // "date time" of the last-search line; empty when there was none
};

enum class PassLogLineKind { Item, LastSearch, Alert, Search, Other };
PassLogLineKind ClassifyPassLogLine(const char* line);

// An item line: "ID:", "Descript:" and the whole "Bids:%d Price:%f Days:%d Hours:%d
// Minutes:%d" tail. False for a line that lacks any of them (cut short or damaged).
bool ParseItemLine(const char* line, LoggedItem& out);
// "Last Search: date time": the two words joined by one blank.
bool ParseLastSearchLine(const char* line, std::string& dateTime);

// Reads a whole log. A final line without its line end is a line still being written and is
// left out, as is every item line that does not parse. False when the file is null.
bool ReadPassLog(std::FILE* log, PassLogContents& out);
