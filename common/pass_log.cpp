// Pass log line writers.
#include "common/pass_log.h"

namespace {
void Flush(std::FILE* log) { std::fflush(log); }
}  // namespace

void WriteVersionLine(std::FILE* log) {
  std::fprintf(log, "Lotwise Version %s\n", kLotwiseVersion);
  Flush(log);
}

std::string FormatPassTime(const std::tm& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday, (t.tm_year + 1900) % 100,
                t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

void WriteLastSearchLine(std::FILE* log, const std::tm& t) {
  std::fprintf(log, "Last Search: %s\n", FormatPassTime(t).c_str());
  Flush(log);
}

void WriteSearchLine(std::FILE* log, const char* description, int triggerMinutes, float targetPrice) {
  std::fprintf(log, "DESCRIPTION:%s TRIGGERMINUTES:%d TRIGGERPRICE:%.2f\n", description, triggerMinutes,
               static_cast<double>(targetPrice));
  Flush(log);
}

void WriteTestLine(std::FILE* log, const char* pageName) {
  std::fprintf(log, "Testing file=%s\n", pageName);
  Flush(log);
}

void WriteNoBlockfileLine(std::FILE* log) { std::fputs("no blockfile\n", log); }

void WriteAlertLine(std::FILE* log, int targetMinutes, int currentMinutes, float targetPrice, float currentPrice) {
  std::fprintf(log, "RURE LOTWISE ALERT: TargetMinutes:%d CurrentMinutes:%d TargetPrice:%.2f CurrentPrice:%.2f --\n",
               targetMinutes, currentMinutes, static_cast<double>(targetPrice), static_cast<double>(currentPrice));
  Flush(log);
}

void WriteItemLine(std::FILE* log, const char* id, const char* description, int bids, const char* price, int days,
                   int hours, int minutes) {
  std::fprintf(log, "ID:%-12s Descript:%-50s Bids:%-4d Price:%-8s Days:%-8d Hours:%-8d Minutes:%-8d\n", id,
               description, bids, price, days, hours, minutes);
  Flush(log);
}

void WritePageClosedLine(std::FILE* log) {
  std::fputs("Closed temphtml.html\n", log);
  Flush(log);
}

void WriteListClosedLine(std::FILE* log, const char* searchListPath) {
  std::fprintf(log, "Closed %s\n", searchListPath);
  Flush(log);
}
