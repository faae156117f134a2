// The warning rule and the message text of search health.
#include "common/search_health_warning.h"

namespace {

// A message box taller than the screen hides its OK button: a long list is cut.
constexpr std::size_t kMostLinesPerPart = 15;

void AppendPart(std::string& text, const char* heading, const std::vector<HealthWarningLine>& lines,
                HealthWarning warning) {
  std::size_t count = 0;
  for (const HealthWarningLine& line : lines) count += line.warning == warning ? 1 : 0;
  if (count == 0) return;
  if (!text.empty()) text += "\n\n";
  text += heading;
  std::size_t shown = 0;
  for (const HealthWarningLine& line : lines) {
    if (line.warning != warning || shown == kMostLinesPerPart) continue;
    text += '\n' + line.description;
    if (warning == HealthWarning::KeepsFailing) text += " (" + line.cause + ")";
    ++shown;
  }
  if (count > shown) text += "\nand " + std::to_string(count - shown) + " more";
}

}  // namespace

HealthWarning EnteredWarning(const SearchHealth& updated) {
  // Only the pass that completes the run enters the state: later passes of the same run are
  // already warned about.
  if (updated.passesInRow != kHealthPassesBeforeWarning) return HealthWarning::None;
  if (updated.outcome.kind == OutcomeKind::Failed) return HealthWarning::KeepsFailing;
  // A search that never found anything may simply have nothing to find yet.
  if (updated.outcome.kind == OutcomeKind::None && updated.lastItemsFound != kHealthNeverFound)
    return HealthWarning::StoppedFindingItems;
  return HealthWarning::None;
}

std::string FormatHealthWarningText(const std::vector<HealthWarningLine>& lines) {
  std::string text;
  AppendPart(text, "These searches have stopped finding items:", lines, HealthWarning::StoppedFindingItems);
  if (!text.empty())
    text +=
        "\nThe site may have changed its pages, or the search address may no longer be right. Open Lotwise Manager "
        "to check them.";
  AppendPart(text, "These searches keep failing:", lines, HealthWarning::KeepsFailing);
  return text;
}
