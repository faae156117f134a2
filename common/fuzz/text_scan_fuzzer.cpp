// libFuzzer target: any bytes as a settings value and as text for the bounded field scans,
// each checked against a plain reference.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/fuzz/fuzz_support.h"
#include "common/settings_value.h"
#include "common/text_scan.h"

namespace {

const char* SkipBlanks(const char* text) {
  while (*text && IsScanBlank(*text)) ++text;
  return text;
}

// "%d" done by hand: blanks, a sign, at least one digit; beyond the int range it clamps.
bool ReferenceInt(const char* text, int* value, const char** end) {
  const char* c = SkipBlanks(text);
  const bool negative = *c == '-';
  if (*c == '-' || *c == '+') ++c;
  if (*c < '0' || *c > '9') return false;
  long long magnitude = 0;
  for (; *c >= '0' && *c <= '9'; ++c) {
    if (magnitude <= INT_MAX + 1LL) magnitude = magnitude * 10 + (*c - '0');
  }
  const long long signedValue = negative ? -magnitude : magnitude;
  *value = signedValue > INT_MAX ? INT_MAX : signedValue < INT_MIN ? INT_MIN : static_cast<int>(signedValue);
  *end = c;
  return true;
}

void CheckSettingsNumber(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  for (std::size_t length : {size, size / 2}) {
    const int defaultValue = length % 2 ? -12345 : 30;
    const std::string text(bytes, length);  // the reader stops at a NUL inside the data
    int want = defaultValue;
    const char* end = nullptr;
    ReferenceInt(text.c_str(), &want, &end);
    // Only the stated length counts: a copy without room behind it shows any read beyond.
    std::unique_ptr<char[]> exact(new char[length ? length : 1]);
    std::memcpy(exact.get(), bytes, length);
    const int got = ParseSettingsNumber(exact.get(), length, defaultValue);
    if (got != want) FuzzFail("ParseSettingsNumber", Escaped(text) + " gave " + std::to_string(got));
  }
  if (ParseSettingsNumber(nullptr, size, 7) != 7) FuzzFail("ParseSettingsNumber", "missing data");
}

bool HasLetter(const char* from, const char* to) {
  for (const char* c = from; c < to; ++c)
    if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')) return true;
  return false;
}

// Checks one scan step at cursor against the reference; returns where the next step starts.
const char* CheckStep(const char* cursor, int kind, std::size_t wordSize) {
  const std::string before(cursor);
  TextScan scan(cursor);
  if (kind == 0) {
    // An exact-size buffer: the sanitizer reports a byte written beyond it.
    std::unique_ptr<char[]> word(new char[wordSize ? wordSize : 1]);
    if (wordSize == 0) word[0] = 'k';
    const char* start = SkipBlanks(cursor);
    const char* end = start;
    while (*end && !IsScanBlank(*end)) ++end;
    const bool got = scan.Word(word.get(), wordSize);
    if (got != (end != start)) FuzzFail("Word", "found or not: " + Escaped(before));
    if (!got) return nullptr;
    if (wordSize == 0) {
      if (word[0] != 'k') FuzzFail("Word", "wrote into a buffer of size 0");
    } else {
      const std::string want(start, std::min<std::size_t>(end - start, wordSize - 1));
      if (std::memchr(word.get(), '\0', wordSize) == nullptr || want != word.get())
        FuzzFail("Word", Escaped(before) + " size " + std::to_string(wordSize));
    }
    if (scan.Rest() != end) FuzzFail("Word", "the rest of a cut word was not skipped: " + Escaped(before));
    return end;
  }
  if (kind == 1) {
    int want = 0;
    const char* end = nullptr;
    const bool wantGot = ReferenceInt(cursor, &want, &end);
    int got = 424242;
    if (scan.Int(got) != wantGot) FuzzFail("Int", "found or not: " + Escaped(before));
    if (!wantGot) {
      if (got != 424242) FuzzFail("Int", "value changed without a number");
      return nullptr;
    }
    if (got != want || scan.Rest() != end) FuzzFail("Int", Escaped(before) + " gave " + std::to_string(got));
    return end;
  }
  float got = -4242.5f;
  const bool found = scan.Float(got);
  if (found) {
    if (!std::isfinite(got)) FuzzFail("Float", "not finite: " + Escaped(before));
    if (scan.Rest() <= SkipBlanks(cursor)) FuzzFail("Float", "a number of no characters: " + Escaped(before));
  } else if (got != -4242.5f) {
    FuzzFail("Float", "value changed without a number");
  }
  // Without letters (exponents, hexadecimal, "inf", "nan") sscanf's "%f" reads what the scan
  // must read, except that an overflow clamps instead of giving infinity.
  const char* wordEnd = SkipBlanks(cursor);
  while (*wordEnd && !IsScanBlank(*wordEnd)) ++wordEnd;
  if (!HasLetter(cursor, wordEnd)) {
    float want = 0;
    int consumed = 0;
    const bool wantFound = std::sscanf(cursor, "%f%n", &want, &consumed) == 1;
    if (std::isinf(want)) want = std::copysign(FLT_MAX, want);
    if (found != wantFound || (found && (got != want || scan.Rest() != cursor + consumed)))
      FuzzFail("Float", Escaped(before) + " differs from sscanf");
  }
  return found ? scan.Rest() : nullptr;
}

void CheckScans(const std::string& text, const std::uint8_t* data, std::size_t size) {
  // Each kind of step alone until it fails, then steps chosen by the data.
  for (int kind = 0; kind < 3; ++kind) {
    for (const char* cursor = text.c_str(); cursor;) cursor = CheckStep(cursor, kind, 32);
  }
  const char* cursor = text.c_str();
  for (std::size_t i = 0; cursor && i < size; ++i) cursor = CheckStep(cursor, data[size - 1 - i] % 3, data[i] % 40);
}

void CheckCopyText(const std::string& text, std::size_t size) {
  for (std::size_t length = 0; length <= text.size(); length += 1 + length / 2) {
    std::unique_ptr<char[]> out(new char[size ? size : 1]);
    CopyText(out.get(), size, text.data(), length);
    if (size == 0) continue;
    const std::size_t kept = std::min(length, size - 1);
    if (std::memcmp(out.get(), text.data(), kept) != 0 || out[kept] != '\0')
      FuzzFail("CopyText", "not cut and terminated: " + Escaped(text.substr(0, length)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckSettingsNumber(data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckScans(text.c_str(), data, size);
  CheckCopyText(text, size % 50);
  return 0;
}
