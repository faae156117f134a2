// The continuous poller's icon in the notification area: its tooltip tells what the poller is
// doing, its balloons tell of bargains, and its menu opens the manager, starts a pass, turns
// starting at logon on or off and stops the poller.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "poller/parse/auction_item.h"

class NotifyWindow;

// The icon belongs to a hidden top-level window on a thread of its own that only pumps
// messages: the polling thread blocks in its waits, downloads, sounds and dialogs, and the
// icon must answer meanwhile. The polling thread only posts to the window, never waits on it.
class PollerNotifyIcon {
 public:
  PollerNotifyIcon();
  ~PollerNotifyIcon();
  PollerNotifyIcon(const PollerNotifyIcon&) = delete;
  PollerNotifyIcon& operator=(const PollerNotifyIcon&) = delete;

  // Makes the window and adds the icon, and from now on the Notify calls below reach it.
  // "Stop watching" sets stopEvent. False when the window could not be made: the poller then
  // watches without an icon.
  bool Start(HANDLE stopEvent);
  // Deletes the icon and ends the window's thread. Every ending of the poller passes here.
  void Stop();
  HWND Window() const { return window_; }

 private:
  std::unique_ptr<NotifyWindow> notifyWindow_;
  UniqueHandle thread_;
  HWND window_ = nullptr;
};

// What the polling loop tells the icon, on the polling thread. Each does nothing while no
// icon is started, so one-pass runs call them too.
// A pass has read the search list (its lines) and begun.
void NotifyPassBegun(const std::vector<std::string>& lines);
// Before the alert dialog of item is shown.
void NotifyAlertShown(const AuctionItem& item);
// A bargain alerted with pop-ups off: the pass's end tells of them in one balloon.
void NotifyBargainNotShown(const AuctionItem& item);
// After a completed pass; the next one begins runIntervalMinutes after now.
void NotifyPassEnded(int runIntervalMinutes, long searchesToCheck);


// The icon's menu, made afresh each time it opens, with "Start at logon" ticked as given.
// The caller destroys it.
HMENU CreateNotifyMenu(bool startAtLogon);
