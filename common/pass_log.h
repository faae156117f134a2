// The pass log ("lotwise.txt"): the poller's line writers, in the log's fixed formats.
#pragma once
#include <cstdio>
#include <ctime>
#include <string>

constexpr const char kPassLogName[] = "lotwise.txt";
constexpr const char kLotwiseVersion[] = "2.8";

// Every writer but WriteNoBlockfileLine flushes its line, so a reader sees whole lines while
// a pass runs; the no-blockfile line goes out with the next flush.
// The local time as the log writes it: "MM/DD/YY HH:MM:SS", each part two digits.
std::string FormatPassTime(const std::tm& localTime);

void WriteVersionLine(std::FILE* log);
void WriteLastSearchLine(std::FILE* log, const std::tm& localTime);
void WriteSearchLine(std::FILE* log, const char* description, int triggerMinutes, float targetPrice);
void WriteTestLine(std::FILE* log, const char* pageName);
void WriteNoBlockfileLine(std::FILE* log);
void WriteAlertLine(std::FILE* log, int targetMinutes, int currentMinutes, float targetPrice, float currentPrice);
void WriteItemLine(std::FILE* log, const char* id, const char* description, int bids, const char* price,
                   int days, int hours, int minutes);
void WritePageClosedLine(std::FILE* log);
void WriteListClosedLine(std::FILE* log, const char* searchListPath);
