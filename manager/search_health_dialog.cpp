// The search health dialog: its rows come ready from FormatHealthRows; Close ends it.
#include "manager/search_health_dialog.h"

#include <utility>

#include "manager/manager_ids.h"

SearchHealthDialog::SearchHealthDialog(std::vector<HealthRow> rows)
    : ModalDialog(kSearchHealthDialogId), rows_(std::move(rows)) {}

bool SearchHealthDialog::OnInit() {
  list_.Attach(Item(kHealthList));
  const auto& s = kHealthListTabStops;
  list_.SetTabStops({s[0], s[1], s[2], s[3]});
  for (const HealthRow& row : rows_) list_.Add(row.text.c_str());
  return true;
}
