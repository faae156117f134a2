// InitFramework: the least a process needs before the download's internet calls.
#include "platform/framework_init.h"

bool InitFramework(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/, int /*showState*/) {
  char modulePath[MAX_PATH];
  if (!instance || GetModuleFileNameA(instance, modulePath, MAX_PATH) == 0) return false;
  return GetModuleHandleA("wininet.dll") != nullptr;
}
