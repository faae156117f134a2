// Instance marks, stop events and the stop command.
#include "poller/engine/instance_control.h"

#include "platform/unique_handle.h"

namespace {

PollerEvents g_events;

bool ClaimMutex(const char* name) {
  CreateMutexA(nullptr, FALSE, name);  // deliberately never closed
  DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

HANDLE CreateManualEvent(const char* name) { return CreateEventA(nullptr, TRUE, FALSE, name); }

void StopProduct(const char* runEventName, const char* abortEventName) {
  UniqueHandle run(CreateManualEvent(runEventName));
  DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) return;
  UniqueHandle abort(CreateManualEvent(abortEventName));
  if (abort) SetEvent(abort.Get());
  if (run) WaitForSingleObject(run.Get(), kStopWaitMs);
}

}  // namespace

bool IsPollerRunning() { return ClaimMutex(kPollerMutexName); }
bool IsPassRunning() { return ClaimMutex(kPassMutexName); }

PollerEvents CreatePollerEvents() {
  g_events.abort = CreateManualEvent(kAbortEventName);
  g_events.run = CreateManualEvent(kRunEventName);
  return g_events;
}

const PollerEvents& CurrentPollerEvents() { return g_events; }

void SignalStopped() {
  ResetEvent(g_events.abort);
  SetEvent(g_events.run);
}

void StopPollers() {
  StopProduct(kRunEventName, kAbortEventName);
  StopProduct("Marrowby - Run", "Marrowby - Abort");
  StopProduct("Quillfen - Run", "Quillfen - Abort");
}
