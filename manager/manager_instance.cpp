// The manager's instance mark and the hand-over to a running manager.
#include "manager/manager_instance.h"

#include <windows.h>

#include "manager/manager_ids.h"

namespace {

// "Local\": one per logon session, so that other users' managers do not count.
constexpr char kManagerMutexName[] = "Local\\Lotwise Manager";
// A manager started a moment ago may not have built its window yet.
constexpr DWORD kWindowWaitMs = 5000;
constexpr DWORD kWindowPollMs = 50;

}  // namespace

bool ClaimManagerInstance(UniqueHandle& mark) {
  mark.Reset(CreateMutexA(nullptr, FALSE, kManagerMutexName));
  const DWORD error = GetLastError();
  if (mark && error != ERROR_ALREADY_EXISTS) return true;
  mark.Reset();
  // Held by a manager of this logon (ACCESS_DENIED: one started with other rights). Any other
  // failure leaves no way to tell, and the manager runs.
  return error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

void ShowRunningManager() {
  HWND window = FindWindowA("#32770", kManagerTitle);
  for (DWORD waited = 0; !window && waited < kWindowWaitMs; waited += kWindowPollMs) {
    Sleep(kWindowPollMs);
    window = FindWindowA("#32770", kManagerTitle);
  }
  if (!window) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(window));
}
