// The download's own exception: a result code (1 or 2) raised inside the download and
// returned as its result. It never leaves the download.
#pragma once
#include "platform/framework_exception.h"

class CLotwiseException : public CException {
 public:
  explicit CLotwiseException(int errorCode) : errorCode_(errorCode) {}
  int ErrorCode() const { return errorCode_; }

 private:
  int errorCode_;
};
