// The warning rule of search health, and the message that tells the user.
#pragma once
#include <string>
#include <vector>

#include "common/search_health_file.h"

constexpr long kHealthPassesBeforeWarning = 3;

enum class HealthWarning { None, StoppedFindingItems, KeepsFailing };

// The warned state that a search's record, just updated by a pass, has entered with that
// pass; None when it entered none.
HealthWarning EnteredWarning(const SearchHealth& updated);

// A search named in the message.
struct HealthWarningLine {
  HealthWarning warning = HealthWarning::None;
  std::string description;
  std::string cause;  // KeepsFailing: the cause words
};

// The message text for the searches that entered a warned state in one pass (empty when
// none did): the searches that stopped finding items and what to check, then those that keep
// failing with their causes. A long list is cut, saying how many more there are.
std::string FormatHealthWarningText(const std::vector<HealthWarningLine>& lines);
