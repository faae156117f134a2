// BargainHistoryDialog: every alert the poller kept in the bargain history, the newest first
// (template 150), opened from the window menu. A filter narrows the rows; an item's page opens
// from its row; "Alert me again" lifts the block that View Never set.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "manager/block_removal.h"
#include "manager/core/history_rows.h"
#include "manager/core/manager_paths.h"
#include "platform/dialog.h"
#include "platform/list_box.h"

class BargainHistoryDialog : public ModalDialog {
 public:
  explicit BargainHistoryDialog(const ManagerPaths& paths);
  ~BargainHistoryDialog() override;

  // The manager is closing: as Close, and then the manager goes on closing.
  void CloseWithOwner() { OnCancel(); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  // Enter opens the selected row's item page; Close and Escape end the dialog.
  void OnOk() override;
  void OnCancel() override;

 private:
  std::array<int, kHistoryColumns> ColumnWidths() const;
  CharWidths ListCharWidths() const;
  // Fills the list with the rows that hold the filter's text; the selected alert stays selected.
  void Refill();
  // The selected row's entry, or null.
  const AlertHistoryEntry* SelectedEntry() const;
  // The line under the list: how long the selected row's item stays blocked.
  void ShowSelectedBlock();
  void OpenSelectedItem();
  void AlertMeAgain();
  void RemovalWaiting();
  void RemovalDone();

  std::string historyPath_;
  std::string blockedList_;
  std::string blockedTemp_;
  std::unique_ptr<HistoryTable> table_;
  std::vector<std::size_t> shown_;  // the table's row of each list row
  ListBox list_;
  std::unique_ptr<BlockRemoval> removal_;
};
