// An owned HINTERNET, closed exactly once through the download's call table.
#pragma once
#include "poller/fetch/fetch_api.h"

class InternetHandle {
 public:
  explicit InternetHandle(const FetchApi& api) : api_(api) {}
  ~InternetHandle() { Reset(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Closes the handle held (if any) and takes the new one.
  void Reset(HINTERNET handle = nullptr) {
    if (handle_) api_.closeHandle(handle_);
    handle_ = handle;
  }

 private:
  const FetchApi& api_;
  HINTERNET handle_ = nullptr;
};
