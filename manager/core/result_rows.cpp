// Results row texts and colours.
#include "manager/core/result_rows.h"

#include <cstdio>

std::string PadToWidth(std::string text, int minWidth, const std::function<int(const std::string&)>& measure) {
  // A blank that adds no width (a broken measure) must not loop for ever.
  int width = measure(text);
  while (width < minWidth) {
    text += ' ';
    const int wider = measure(text);
    if (wider <= width) break;
    width = wider;
  }
  return text;
}

std::string FormatResultRow(const LoggedItem& item, const std::string& paddedDescription) {
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "\t%d\t%.2f\t\t%d\t%d\t%d", item.bids, static_cast<double>(item.price),
                item.days, item.hours, item.minutes);
  return item.id + "\t" + paddedDescription + numbers;
}

std::uint32_t ResultColor(const LoggedItem& item) { return item.alerted ? kResultsAlertColor : kResultsPlainColor; }
