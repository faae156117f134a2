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
bool IsPageBlank(char c) { return IsBlank(c) || static_cast<unsigned char>(c) == 0xA0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Beyond every range the scans keep; digits past it change nothing.
constexpr long long kSaturated = 1LL << 40;

// The part the integer scans share: blanks as isBlank says, a sign, digits. The value
// saturates at kSaturated either way instead of overflowing.
bool ScanDecimal(std::string_view& text, bool (*isBlank)(char), long long& value) {
  std::string_view rest = text;
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty() || !IsDigit(rest.front())) return false;
  long long magnitude = 0;
  for (; !rest.empty() && IsDigit(rest.front()); rest.remove_prefix(1))
    if (magnitude < kSaturated) magnitude = magnitude * 10 + (rest.front() - '0');
  value = negative ? -magnitude : magnitude;
  text = rest;
  return true;
}

int ClampToInt(long long value) {
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

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
  std::string_view rest(cursor_);
  long long value = 0;
  if (!ScanDecimal(rest, IsBlank, value)) return false;
  cursor_ = rest.data();
  out = ClampToInt(value);
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

bool ScanPageInt(std::string_view& text, int& value) {
  long long scanned = 0;
  if (!ScanDecimal(text, IsPageBlank, scanned)) return false;
  value = ClampToInt(scanned);
  return true;
}

bool ScanStamp(std::string_view& text, std::int32_t& value) {
  std::string_view rest = text;
  long long scanned = 0;
  if (!ScanDecimal(rest, IsBlank, scanned) || scanned < INT32_MIN || scanned > INT32_MAX) return false;
  value = static_cast<std::int32_t>(scanned);
  text = rest;
  return true;
}
