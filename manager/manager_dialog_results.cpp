// ManagerDialog, the Search Results page: the items of the last pass from the pass log, and
// opening an item's page.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/pass_log_reader.h"
#include "common/unique_file.h"
#include "manager/core/item_shortcut.h"
#include "manager/core/result_rows.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"
#include "manager/open_item_page.h"

void ManagerDialog::LoadResults() {
  results_.Clear();
  ResolvePaths(paths_);
  // Binary: a Ctrl-Z byte in a logged description would end a text-mode read there, and every
  // later item would be missing. The reader drops the CR of each line end.
  UniqueFile log(std::fopen(paths_.passLog, "rb"));
  results_.SetTabStops({kResultsTabStop});
  if (!log) return;
  PassLogContents contents;
  ReadPassLog(log.get(), contents);
  log.reset();  // not held while the rows are drawn: the next pass rewrites it

  // Measured in the window's own device context and font, so the column is approximate.
  HDC dc = GetDC(Handle());
  const auto measure = [dc](const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  for (const LoggedItem& item : contents.items) {
    const std::string padded = PadToWidth(item.description, kResultsDescriptionColumnPixels, measure);
    const std::string row = FormatResultRow(item, padded);
    results_.AddColored(row.c_str(), ResultColor(item));
  }
  ReleaseDC(Handle(), dc);
  if (!contents.lastSearch.empty()) SetItemText(kLastSearchedDate, contents.lastSearch.c_str());
}

void ManagerDialog::OpenResultItem() {
  const int selected = results_.Selected();
  if (selected < 0) return;
  OpenItemPage(RowItemId(results_.Text(selected)));
}
