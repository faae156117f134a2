// Turning a settings value's bytes into the int its reader returns.
#pragma once
#include <cstddef>

constexpr std::size_t kSettingsValueSize = 256;  // longer data counts as missing

// Decimal integer at the start of the data (leading blanks skipped, optional sign).
// Data that does not begin with a number, or is missing (null), gives defaultValue;
// a number beyond the int range is clamped. The data need not be NUL-terminated.
int ParseSettingsNumber(const char* data, std::size_t length, int defaultValue);
