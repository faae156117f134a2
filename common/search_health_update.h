// The outcome bookkeeping: one pass's outcomes folded into the search health records.
#pragma once
#include <string>
#include <vector>

#include "common/search_health_file.h"
#include "common/search_health_warning.h"

// A search as the health records know it: by its description and address together.
struct SearchKey {
  std::string description;
  std::string address;
};

// One search of the pass, in list order.
struct SearchPassResult {
  SearchKey search;
  SearchOutcome outcome;
};

// For each key, the index of its record in previous, or -1 for a new or changed search. Two
// identical searches take the identical records in order.
std::vector<long> MatchHealthRecords(const std::vector<SearchKey>& keys, const std::vector<SearchHealth>& previous);

struct HealthUpdate {
  std::vector<SearchHealth> records;     // one per search of the pass, in its order
  std::vector<HealthWarningLine> warnings;  // the searches that entered a warned state
};

// The records after a pass that ended normally at passTime ("MM/DD/YY HH:MM:SS"): a run of
// one kind goes on or starts afresh, a search that found items is no longer warned, and a
// search that enters a warned state is warned and listed.
HealthUpdate UpdateSearchHealth(const std::vector<SearchHealth>& previous, const std::vector<SearchPassResult>& pass,
                                const std::string& passTime);
