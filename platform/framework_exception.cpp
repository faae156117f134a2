// CInternetException's error text.
#include "platform/framework_exception.h"

bool CInternetException::GetErrorMessage(char* text, DWORD size) const {
  if (size == 0) return false;
  text[0] = '\0';
  // WinINet's errors (12000 and up) have their texts in wininet.dll, not in the system table.
  HMODULE wininet = GetModuleHandleA("wininet.dll");
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (wininet) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  DWORD length = FormatMessageA(flags, wininet, error_, 0, text, size, nullptr);
  if (length == 0 || length >= size) {
    text[0] = '\0';
    return false;
  }
  return true;
}
