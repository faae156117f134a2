// SearchHealthDialog: every search with its latest outcome, the warned ones first (template
// 140), opened from the system menu and from the main window's notice.
#pragma once
#include <vector>

#include "manager/core/health_rows.h"
#include "platform/dialog.h"
#include "platform/list_box.h"

class SearchHealthDialog : public ModalDialog {
 public:
  explicit SearchHealthDialog(std::vector<HealthRow> rows);

 protected:
  bool OnInit() override;

 private:
  std::vector<HealthRow> rows_;
  ListBox list_;
};
