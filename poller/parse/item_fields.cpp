// The parser's field rules: the price text and the time left.
#include <climits>

#include "poller/parse/result_page.h"
#include "poller/parse/scan_number.h"

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The blanks of a formatted scan, plus the non-breaking space that counts as one here.
bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0xA0;
}

void SkipBlanks(std::string_view& text) {
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
}

bool Literal(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

bool ScanInt(std::string_view& text, int& value) {
  std::string_view rest = text;
  SkipBlanks(rest);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty() || !IsDigit(static_cast<unsigned char>(rest.front()))) return false;
  long long magnitude = 0;
  while (!rest.empty() && IsDigit(static_cast<unsigned char>(rest.front()))) {
    if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (rest.front() - '0');
    rest.remove_prefix(1);
  }
  const long long signedValue = negative ? -magnitude : magnitude;
  value = signedValue > INT_MAX ? INT_MAX : signedValue < INT_MIN ? INT_MIN : static_cast<int>(signedValue);
  text = rest;
  return true;
}

bool AcceptPrice(std::string_view run, char* price, std::size_t size) {
  // Commas, spaces and bytes from 0x80 up are dropped, then one leading non-digit (the
  // currency sign); what is left must be at least three digits or points.
  auto kept = [](unsigned char c) { return c != ',' && c != ' ' && c < 0x80; };
  std::size_t length = 0;
  bool first = true;
  for (unsigned char c : run) {
    if (!kept(c)) continue;
    const bool skipSign = first && !IsDigit(c);
    first = false;
    if (skipSign) continue;
    if (!IsDigit(c) && c != '.') return false;
    ++length;
  }
  // A price too long for its field is refused rather than cut: a cut would change its value.
  if (length < 3 || length >= size) return false;
  std::size_t out = 0;
  first = true;
  for (unsigned char c : run) {
    if (!kept(c)) continue;
    const bool skipSign = first && !IsDigit(c);
    first = false;
    if (!skipSign) price[out++] = static_cast<char>(c);
  }
  price[out] = '\0';
  return true;
}

TimeLeft ParseTimeLeft(std::string_view text) {
  // The scans of "%dd %dh %dm", "%dh %d" and "%d": each value keeps 0 unless the scan
  // reaches it, and a scan stops at the first character that does not match.
  TimeLeft left;
  std::string_view rest = text;
  if (text.find('d') != std::string_view::npos) {
    if (ScanInt(rest, left.days) && Literal(rest, 'd') && ScanInt(rest, left.hours) && Literal(rest, 'h'))
      ScanInt(rest, left.minutes);
  } else if (text.find('h') != std::string_view::npos) {
    if (ScanInt(rest, left.hours) && Literal(rest, 'h')) ScanInt(rest, left.minutes);
  } else if (text.find('m') != std::string_view::npos) {
    ScanInt(rest, left.minutes);
  }
  return left;
}
