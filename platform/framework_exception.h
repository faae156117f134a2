// The exception types of the small framework layer under the page download.
#pragma once
#include <windows.h>

// Base of the framework's exceptions. They are thrown by value and caught by reference; none
// crosses a window procedure or a subsystem boundary.
class CException {
 public:
  virtual ~CException() = default;
};

// A failed internet call, with the system's error number (GetLastError right after the call).
class CInternetException : public CException {
 public:
  explicit CInternetException(DWORD error) : error_(error) {}
  DWORD Error() const { return error_; }
  // The system's text for the error, WinINet's own messages included; at most size - 1
  // characters, always terminated. False (and an empty text) when the system has none.
  bool GetErrorMessage(char* text, DWORD size) const;

 private:
  DWORD error_;
};
