// The watching line's text.
#include "manager/core/watching_line.h"

namespace {

constexpr char kCutMark[] = "...";
constexpr std::size_t kCutMarkLength = sizeof kCutMark - 1;

}  // namespace

bool IsWatching(PollerMark mark) { return mark != PollerMark::Missing; }

std::string FormatWatchingLine(bool watching, const std::string& lastPass, std::size_t length) {
  std::string line = watching ? kWatchingText : kNotWatchingText;
  if (watching && !lastPass.empty()) line += " Last pass " + lastPass + ".";
  if (line.size() <= length) return line;
  // Too narrow for the mark itself: only what fits.
  if (length <= kCutMarkLength) return line.substr(0, length);
  return line.substr(0, length - kCutMarkLength) + kCutMark;
}
