// Tooltip and balloon texts of the notification-area icon.
#include "poller/engine/core/notify_texts.h"

#include <cstdio>

#include "common/search_list.h"

namespace {

constexpr char kCutMark[] = "...";

std::string Counted(long count, const char* one, const char* many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::string ClockTime(const std::tm& time, bool withDate) {
  char text[64];
  if (withDate)
    std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min);
  else
    std::snprintf(text, sizeof text, "%02d:%02d", time.tm_hour, time.tm_min);
  return text;
}

bool SameDay(const std::tm& a, const std::tm& b) {
  return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday;
}

// head cut so that head and tail together fit in size bytes; tail is kept whole unless it
// alone leaves no room for a few characters of head.
std::string FitHeadBeforeTail(const std::string& head, const std::string& tail, std::size_t size) {
  constexpr std::size_t kLeastHeadRoom = 16;
  if (tail.size() + kLeastHeadRoom >= size) return CutToFit(head + tail, size);
  return CutToFit(head, size - tail.size()) + tail;
}

}  // namespace

std::string CutToFit(const std::string& text, std::size_t size) {
  if (size == 0) return "";
  if (text.size() < size) return text;
  const std::size_t room = size - 1;
  if (room < sizeof kCutMark - 1) return text.substr(0, room);
  return text.substr(0, room - (sizeof kCutMark - 1)) + kCutMark;
}

std::string FormatWatchTip(const WatchState& state) {
  std::string tip = state.searches < 0 ? "Lotwise" : "Lotwise: watching " + Counted(state.searches, "search", "searches");
  if (state.passRunning) {
    tip += "\nPass in progress";
  } else if (state.hasLastPass) {
    // A wait that ends on another day (a long run interval) needs the dates to be read right.
    const bool withDates = !SameDay(state.lastPass, state.nextPass);
    tip += "\nLast pass " + ClockTime(state.lastPass, withDates) + ", next " + ClockTime(state.nextPass, withDates);
  }
  if (state.searchesToCheck > 0)
    tip += '\n' + Counted(state.searchesToCheck, "search needs", "searches need") + " checking";
  return CutToFit(tip, kNotifyTipSize);
}

BalloonTexts FormatAlertBalloon(const std::string& description, const std::string& price) {
  return {kAlertBalloonTitle, FitHeadBeforeTail(description, "\nPrice: " + price, kNotifyBalloonTextSize)};
}

BalloonTexts FormatPassBargainsBalloon(long bargains, const std::string& firstDescription,
                                       const std::string& firstPrice) {
  BalloonTexts balloon;
  balloon.title = CutToFit("Lotwise: " + Counted(bargains, "bargain", "bargains") + " found", kNotifyBalloonTitleSize);
  std::string tail = "\nPrice: " + firstPrice;
  if (bargains > 1) tail += " (and " + Counted(bargains - 1, "more bargain", "more bargains") + ")";
  tail += bargains > 1 ? "\nClick to see them in Lotwise Manager." : "\nClick to see it in Lotwise Manager.";
  balloon.text = FitHeadBeforeTail(firstDescription, tail, kNotifyBalloonTextSize);
  return balloon;
}

long CountSavedSearches(const std::vector<std::string>& lines) {
  long count = 0;
  for (const std::string& line : lines) {
    SavedSearch search{};
    if (ParseSavedSearch(line.c_str(), search)) ++count;
  }
  return count;
}
