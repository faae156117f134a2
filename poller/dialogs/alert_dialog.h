// The bargain alert dialog (template 113): shows one item, offers View Now / Later / Never.
#pragma once
#include <windows.h>

#include "poller/parse/auction_item.h"

// Called when the session ends (logoff, shutdown) while the dialog waits: the process may be
// ended as soon as that message is answered, so it is the last chance to record the alert.
using SessionEndingCall = void (*)(void* context);

// Shows the dialog modally without an owner for item. Returns the dialog's result (1, 2 or
// 1025), or -1 when it could not be created.
INT_PTR ShowAlertDialog(const AuctionItem& item, SessionEndingCall sessionEnding = nullptr,
                        void* context = nullptr);

// The dialog procedure, run by ShowAlertDialog (it forwards to the dialog's object).
INT_PTR CALLBACK AlertDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the item's page on the auction site in the default browser.
void OpenItemPage(const AuctionItem& item);

// The alert dialog that waits for the user's answer, or null. Any thread may ask: the
// notification icon brings it to the front.
HWND WaitingAlertWindow();
