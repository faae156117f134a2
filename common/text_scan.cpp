// Bounded field scanning for the line formats of the search list, pass log and blocked list.
#include "common/text_scan.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
}  // namespace

void CopyText(char* out, std::size_t size, const char* text, std::size_t length) {
  if (size == 0) return;
  if (length > size - 1) length = size - 1;
  std::memcpy(out, text, length);
  out[length] = '\0';
}

void TextScan::SkipBlanks() {
  while (*cursor_ && IsBlank(*cursor_)) ++cursor_;
}

bool TextScan::Word(char* out, std::size_t size) {
  SkipBlanks();
  const char* start = cursor_;
  while (*cursor_ && !IsBlank(*cursor_)) ++cursor_;
  if (cursor_ == start) return false;
  CopyText(out, size, start, static_cast<std::size_t>(cursor_ - start));
  return true;
}

bool TextScan::Int(int& out) {
  SkipBlanks();
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(cursor_, &end, 10);
  if (end == cursor_) return false;
  cursor_ = end;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  out = static_cast<int>(value);
  return true;
}

bool TextScan::Float(float& out) {
  SkipBlanks();
  char* end = nullptr;
  errno = 0;
  float value = std::strtof(cursor_, &end);
  if (end == cursor_) return false;
  const bool overflow = errno == ERANGE && std::isinf(value);
  // "nan" and "inf" scan with %f too; no stored price means either, so refuse them.
  if (std::isnan(value) || (std::isinf(value) && !overflow)) return false;
  cursor_ = end;
  if (overflow) value = std::copysign(FLT_MAX, value);  // clamped like the integers
  out = value;
  return true;
}
