// PLACEHOLDER until the polling loop lands: waits for the stop request and honours it, so
// the instance marks and the stop command can be exercised. Makes no pass.
#include "poller/engine/instance_control.h"
#include "poller/engine/run_poller.h"

int RunPoller(const StartupSettings&, HANDLE abortEvent) {
  WaitForSingleObject(abortEvent, INFINITE);
  SignalStopped();
  return 0;
}
