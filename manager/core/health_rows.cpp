// Search health rows: the list's searches matched to their records and told in words.
#include "manager/core/health_rows.h"

#include <algorithm>
#include <cstdio>

#include "common/search_list.h"
#include "common/unique_file.h"

namespace {

// Longer descriptions would push the other columns out of line.
constexpr std::size_t kShownDescription = 40;

std::string Shortened(const std::string& description) {
  if (description.size() <= kShownDescription) return description;
  return description.substr(0, kShownDescription - 3) + "...";
}

// The record keeps only that a search was warned, not for which state: the words follow the
// current run. A warned search whose run has since changed kind, and is not (yet) in a warned
// state of its own, still needs checking until it finds items again.
std::string HealthWords(const SearchHealth& health) {
  const bool longRun = health.passesInRow >= kHealthPassesBeforeWarning;
  if (longRun && health.outcome.kind == OutcomeKind::Failed) return "Keeps failing";
  if (longRun && health.outcome.kind == OutcomeKind::None && health.lastItemsFound != kHealthNeverFound)
    return "Stopped finding items";
  return health.warned ? "Needs checking" : "";
}

std::string LastPassWords(const SearchOutcome& outcome) {
  switch (outcome.kind) {
    case OutcomeKind::Items:
      return std::to_string(outcome.items) + (outcome.items == 1 ? " item" : " items");
    case OutcomeKind::None:
      return "No items";
    case OutcomeKind::Failed:
      break;
  }
  return "Failed: " + FormatCause(outcome);
}

}  // namespace

std::vector<SearchKey> ReadSearchKeys(const char* listPath) {
  std::vector<SearchKey> keys;
  const UniqueFile list(OpenListForReading(listPath));
  if (!list) return keys;
  for (std::string line; ReadFileLine(list.get(), kSearchListLineCap, line);) {
    SavedSearch search{};
    if (ParseSavedSearch(line.c_str(), search)) keys.push_back({search.description, search.url});
  }
  return keys;
}

std::vector<HealthRow> FormatHealthRows(const std::vector<SearchKey>& searches,
                                        const std::vector<SearchHealth>& records) {
  const std::vector<long> matches = MatchHealthRecords(searches, records);
  std::vector<HealthRow> rows;
  for (std::size_t i = 0; i < searches.size(); ++i) {
    HealthRow row;
    row.description = searches[i].description;
    row.text = Shortened(row.description) + '\t';
    if (matches[i] < 0) {
      row.text += "Not searched yet";
    } else {
      const SearchHealth& health = records[static_cast<std::size_t>(matches[i])];
      row.warned = health.warned;
      row.text += HealthWords(health) + '\t' + LastPassWords(health.outcome) + '\t' +
                  std::to_string(health.passesInRow) + '\t' +
                  (health.lastItemsFound == kHealthNeverFound ? std::string("Never") : health.lastItemsFound);
    }
    rows.push_back(std::move(row));
  }
  std::stable_partition(rows.begin(), rows.end(), [](const HealthRow& row) { return row.warned; });
  return rows;
}

std::string FormatHealthNotice(const std::vector<HealthRow>& rows) {
  const auto warned = std::count_if(rows.begin(), rows.end(), [](const HealthRow& row) { return row.warned; });
  if (warned == 0) return "";
  const std::string where = "click here or choose Search health\x85 in the window menu.";
  if (warned == 1) return "The search \"" + Shortened(rows.front().description) + "\" needs checking: " + where;
  return std::to_string(warned) + " searches need checking: " + where;
}
