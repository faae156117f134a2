// Whether the shell holds the poller's notification-area icon, asked as any program may: a
// change of nothing, which succeeds exactly while the icon is there.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "poller/engine/notify_ids.h"

namespace testing_support {

inline bool IconExists(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kNotifyIconId;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

}  // namespace testing_support
