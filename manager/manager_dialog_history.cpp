// ManagerDialog and the bargain history: the dialog opened from the window menu, and closed
// with the main window.
#include "manager/history_dialog.h"
#include "manager/manager_dialog.h"

void ManagerDialog::ShowBargainHistory() {
  if (history_) return;
  ResolvePaths(paths_);
  BargainHistoryDialog dialog(paths_);
  history_ = &dialog;
  dialog.Run(Handle());
  history_ = nullptr;
}

void ManagerDialog::CloseBargainHistory() {
  // Its run ends first; this window's own run ends once control is back in it.
  if (history_) history_->CloseWithOwner();
}

void ManagerDialog::OnOk() {
  CloseBargainHistory();
  ModalDialog::OnOk();
}

void ManagerDialog::OnCancel() {
  CloseBargainHistory();
  ModalDialog::OnCancel();
}
