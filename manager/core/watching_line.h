// The main window's line right of the banner: whether the continuous poller is watching, and
// when its last pass began.
#pragma once
#include <cstddef>
#include <string>

// The most the line's static shows; a longer line (a damaged log's time) is cut to it.
constexpr std::size_t kWatchingLineLength = 80;

constexpr char kWatchingText[] = "Lotwise is watching.";
constexpr char kNotWatchingText[] = "Lotwise is not watching.";

// What looking for the continuous poller's instance mark found.
enum class PollerMark { Open, Missing, Denied };
// A mark that exists but is closed to this user (another user's poller) is a poller all the same.
bool IsWatching(PollerMark mark);

// "Lotwise is watching. Last pass 12/06/26 14:05:09." with lastPass (the pass log's "date
// time"), or "Lotwise is watching." alone while none is known; "Lotwise is not watching."
// otherwise. A line longer than length ends in "..." at length characters.
std::string FormatWatchingLine(bool watching, const std::string& lastPass, std::size_t length = kWatchingLineLength);
