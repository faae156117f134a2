// Alert dialog: placed in the lower right corner of the work area at the bottom of the Z-order,
// so it never steals the focus from what the user is doing.
#include "poller/dialogs/alert_dialog.h"

#include <shellapi.h>

#include <ctime>
#include <string>

#include "common/item_page.h"
#include "common/settings_store.h"
#include "poller/dialogs/alert_ids.h"
#include "poller/dialogs/dialog_ids.h"
#include "poller/engine/blocked_auctions.h"

namespace {

constexpr char kItemProperty[] = "LotwiseAlertItem";

const AuctionItem* ItemOf(HWND dialog) { return static_cast<const AuctionItem*>(GetPropA(dialog, kItemProperty)); }

void MoveToCorner(HWND dialog) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT client{};
  GetClientRect(dialog, &client);
  SetWindowPos(dialog, HWND_BOTTOM, work.right - client.right, work.bottom - client.bottom - 20, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetNumber(HWND dialog, int id, int value) { SetDlgItemTextA(dialog, id, std::to_string(value).c_str()); }

void Fill(HWND dialog, const AuctionItem& item) {
  SetDlgItemTextA(dialog, kAlertDescription, item.description);
  SetDlgItemTextA(dialog, kAlertId, item.id);
  SetDlgItemTextA(dialog, kAlertPrice, item.price);
  SetNumber(dialog, kAlertBids, item.bids);
  SetNumber(dialog, kAlertDays, item.days);
  SetNumber(dialog, kAlertHours, item.hours);
  SetNumber(dialog, kAlertMinutes, item.minutes);
}

}  // namespace

INT_PTR ShowAlertDialog(const AuctionItem& item) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAlertDialogId), nullptr, AlertDialogProc,
                         reinterpret_cast<LPARAM>(&item));
}

void OpenItemPage(const AuctionItem& item) {
  const std::string address = FormatItemPageAddress(ReadItemHost().c_str(), item.id);
  ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK AlertDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        SetPropA(dialog, kItemProperty, reinterpret_cast<HANDLE>(lParam));
        MoveToCorner(dialog);
        if (const AuctionItem* item = ItemOf(dialog)) Fill(dialog, *item);
        return FALSE;  // the focus stays where the user has it
      }
      case WM_COMMAND: {
        const AuctionItem* item = ItemOf(dialog);
        switch (LOWORD(wParam)) {
          case IDOK:
            if (item) OpenItemPage(*item);
            EndDialog(dialog, IDOK);
            return TRUE;
          case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
          case kAlertViewNever:
            if (item) BlockItem(item->id, static_cast<long long>(std::time(nullptr)));
            EndDialog(dialog, kAlertViewNever);
            return TRUE;
        }
        return FALSE;
      }
      case WM_NOTIFY:
        return TRUE;
      case WM_DESTROY:
        RemovePropA(dialog, kItemProperty);
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind into user32. The dialog stays open, so the user can choose again.
  }
  return FALSE;
}
