// Alert dialog: placed in the lower right corner of the work area at the bottom of the Z-order,
// so it never steals the focus from what the user is doing.
#include "poller/dialogs/alert_dialog.h"

#include <shellapi.h>

#include <atomic>
#include <ctime>
#include <string>

#include "common/item_page.h"
#include "common/settings_store.h"
#include "platform/dialog.h"
#include "poller/dialogs/alert_ids.h"
#include "poller/dialogs/dialog_ids.h"
#include "common/blocked_auctions.h"

namespace {

// Posted at initialisation: the dialog is on screen by the time it arrives.
constexpr UINT kStartFlashMessage = WM_APP + 1;

std::atomic<HWND> g_waitingAlert{nullptr};

// The taskbar button flashes without the dialog taking the focus, until the user answers.
void FlashTaskbarButton(HWND dialog, DWORD flags) {
  FLASHWINFO flash{};
  flash.cbSize = sizeof flash;
  flash.hwnd = dialog;
  flash.dwFlags = flags;
  FlashWindowEx(&flash);
}

void MoveToCorner(HWND dialog) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT client{};
  GetClientRect(dialog, &client);
  SetWindowPos(dialog, HWND_BOTTOM, work.right - client.right, work.bottom - client.bottom - 20, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);
}

class AlertDialog : public BoxDialog {
 public:
  AlertDialog(const AuctionItem& item, SessionEndingCall sessionEnding, void* context)
      : BoxDialog(kAlertDialogId), item_(item), sessionEnding_(sessionEnding), context_(context) {}

 protected:
  bool OnInit() override {
    MoveToCorner(Handle());
    g_waitingAlert = Handle();
    PostMessageA(Handle(), kStartFlashMessage, 0, 0);
    SetItemText(kAlertDescription, item_.description);
    SetItemText(kAlertId, item_.id);
    SetItemText(kAlertPrice, item_.price);
    SetNumber(kAlertBids, item_.bids);
    SetNumber(kAlertDays, item_.days);
    SetNumber(kAlertHours, item_.hours);
    SetNumber(kAlertMinutes, item_.minutes);
    return false;  // the focus stays where the user has it
  }

  bool OnCommand(int id, int code, HWND) override {
    if (id != kAlertViewNever || code != BN_CLICKED) return false;
    BlockItem(item_.id, static_cast<long long>(std::time(nullptr)));
    Answered(kAlertViewNever);
    return true;
  }

  void OnOk() override {
    OpenItemPage(item_);
    Answered(IDOK);
  }

  void OnCancel() override { Answered(IDCANCEL); }

  bool OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) override {
    if (message == WM_ENDSESSION) {
      if (wParam && sessionEnding_) sessionEnding_(context_);
      result = 0;
      return true;
    }
    if (message != kStartFlashMessage) return false;
    FlashTaskbarButton(Handle(), FLASHW_TRAY | FLASHW_TIMER);
    result = 0;
    return true;
  }

  void OnDestroyed() override { g_waitingAlert = nullptr; }

 private:
  void SetNumber(int id, int value) { SetItemText(id, std::to_string(value).c_str()); }
  void Answered(INT_PTR result) {
    FlashTaskbarButton(Handle(), FLASHW_STOP);
    g_waitingAlert = nullptr;
    End(result);
  }

  const AuctionItem& item_;
  SessionEndingCall sessionEnding_;
  void* context_;
};

}  // namespace

INT_PTR ShowAlertDialog(const AuctionItem& item, SessionEndingCall sessionEnding, void* context) {
  AlertDialog dialog(item, sessionEnding, context);
  return dialog.Run(nullptr, AlertDialogProc);
}

HWND WaitingAlertWindow() { return g_waitingAlert.load(); }

void OpenItemPage(const AuctionItem& item) {
  const std::string address = FormatItemPageAddress(ReadItemHost().c_str(), item.id);
  ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// A choice that throws leaves the dialog open, so the user can choose again: the platform's
// procedure lets nothing unwind into user32.
INT_PTR CALLBACK AlertDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Dialog::Procedure(dialog, message, wParam, lParam);
}
