// A "%d" read that never overflows, for the parser's numbers.
#pragma once
#include <string_view>

// Skips leading white space (and 0xA0), reads an optionally signed decimal integer clamped to
// the int range and moves text past it. False, with text and value untouched, when no digit
// follows.
bool ScanInt(std::string_view& text, int& value);
