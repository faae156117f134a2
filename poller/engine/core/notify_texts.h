// The texts of the continuous poller's notification-area icon: its tooltip and its balloons,
// each cut to the room the shell keeps for it.
#pragma once
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

// The shell's buffers, NUL included (szTip, szInfoTitle and szInfo of NOTIFYICONDATA).
constexpr std::size_t kNotifyTipSize = 128;
constexpr std::size_t kNotifyBalloonTitleSize = 64;
constexpr std::size_t kNotifyBalloonTextSize = 256;

constexpr const char kAlertBalloonTitle[] = "Lotwise bargain";

// What the icon tells about the poller.
struct WatchState {
  long searches = -1;          // searches in the list at the latest pass; -1 before the first
  bool passRunning = true;
  bool hasLastPass = false;    // lastPass and nextPass hold a completed pass and the one after
  std::tm lastPass{};
  std::tm nextPass{};
  long searchesToCheck = 0;    // searches that search health warns about
};

// "Lotwise: watching 4 searches", then "Pass in progress" or "Last pass 14:05, next 14:35",
// then "2 searches need checking" when any do, one per line; cut to kNotifyTipSize - 1.
std::string FormatWatchTip(const WatchState& state);

struct BalloonTexts {
  std::string title;  // at most kNotifyBalloonTitleSize - 1
  std::string text;   // at most kNotifyBalloonTextSize - 1
};

// The balloon beside an alert dialog: the item's description and price.
BalloonTexts FormatAlertBalloon(const std::string& description, const std::string& price);

// With pop-ups off, the one balloon of a pass that found bargains: how many, and the first.
BalloonTexts FormatPassBargainsBalloon(long bargains, const std::string& firstDescription,
                                       const std::string& firstPrice);

// text as it fits in a buffer of size bytes (NUL included): whole when it fits, else cut and
// ended with "...".
std::string CutToFit(const std::string& text, std::size_t size);

// The lines of a search list that are searches: the pass passes over the others.
long CountSavedSearches(const std::vector<std::string>& lines);
