// Rows of the search health dialog and the main window's notice: every search of the list
// beside its health record, the warned ones first.
#pragma once
#include <string>
#include <vector>

#include "common/search_health_file.h"
#include "common/search_health_update.h"

// Tab stops of the health list, in dialog units: health, last pass, in a row, items last found.
constexpr int kHealthListTabStops[] = {160, 255, 340, 375};

// The searches of the list file in list order; lines that are not searches are left out, as
// the poller passes them over. Empty when the list cannot be read.
std::vector<SearchKey> ReadSearchKeys(const char* listPath);

struct HealthRow {
  std::string description;
  std::string text;  // description, health, last pass, passes in a row, items last found
  bool warned = false;
};

// One row per search: the warned first, each group in list order. A search without a record
// (added since the last pass) is "Not searched yet".
std::vector<HealthRow> FormatHealthRows(const std::vector<SearchKey>& searches, const std::vector<SearchHealth>& records);

// The main window's line about warned searches; empty when no search is warned.
std::string FormatHealthNotice(const std::vector<HealthRow>& rows);
