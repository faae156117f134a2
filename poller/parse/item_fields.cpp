// The parser's field rules: the price text and the time left.
#include "common/text_scan.h"
#include "poller/parse/result_page.h"

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool Literal(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

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
    if (ScanPageInt(rest, left.days) && Literal(rest, 'd') && ScanPageInt(rest, left.hours) && Literal(rest, 'h'))
      ScanPageInt(rest, left.minutes);
  } else if (text.find('h') != std::string_view::npos) {
    if (ScanPageInt(rest, left.hours) && Literal(rest, 'h')) ScanPageInt(rest, left.minutes);
  } else if (text.find('m') != std::string_view::npos) {
    ScanPageInt(rest, left.minutes);
  }
  return left;
}
