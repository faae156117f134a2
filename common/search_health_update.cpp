// Search health bookkeeping: records matched to the pass's searches and carried forward.
#include "common/search_health_update.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string_view>
#include <utility>

std::vector<long> MatchHealthRecords(const std::vector<SearchKey>& keys, const std::vector<SearchHealth>& previous) {
  std::map<std::pair<std::string_view, std::string_view>, std::deque<long>> unused;
  for (std::size_t i = 0; i < previous.size(); ++i)
    unused[{previous[i].description, previous[i].address}].push_back(static_cast<long>(i));
  std::vector<long> matches;
  matches.reserve(keys.size());
  for (const SearchKey& key : keys) {
    auto found = unused.find({key.description, key.address});
    if (found == unused.end() || found->second.empty()) {
      matches.push_back(-1);
      continue;
    }
    matches.push_back(found->second.front());
    found->second.pop_front();
  }
  return matches;
}

HealthUpdate UpdateSearchHealth(const std::vector<SearchHealth>& previous, const std::vector<SearchPassResult>& pass,
                                const std::string& passTime) {
  std::vector<SearchKey> keys;
  keys.reserve(pass.size());
  for (const SearchPassResult& result : pass) keys.push_back(result.search);
  const std::vector<long> matches = MatchHealthRecords(keys, previous);

  HealthUpdate update;
  update.records.reserve(pass.size());
  for (std::size_t i = 0; i < pass.size(); ++i) {
    const SearchPassResult& result = pass[i];
    SearchHealth health;
    if (matches[i] >= 0) health = previous[static_cast<std::size_t>(matches[i])];
    const bool sameKind = matches[i] >= 0 && health.outcome.kind == result.outcome.kind;
    health.description = result.search.description;
    health.address = result.search.address;
    health.passesInRow = sameKind ? std::min(health.passesInRow + 1, kHealthMostPassesInRow) : 1;
    health.outcome = result.outcome;
    if (result.outcome.kind == OutcomeKind::Items) {
      health.lastItemsFound = passTime;
      health.warned = false;  // silently: finding items again needs no message
    }
    const HealthWarning warning = EnteredWarning(health);
    if (warning != HealthWarning::None) {
      health.warned = true;
      HealthWarningLine line;
      line.warning = warning;
      line.description = health.description;
      if (warning == HealthWarning::KeepsFailing) line.cause = FormatCause(health.outcome);
      update.warnings.push_back(std::move(line));
    }
    update.records.push_back(std::move(health));
  }
  return update;
}
