// File helpers for the portable tests of common/, beside the shared ones of tests/support.
#pragma once
#include <string>

#include "tests/support/test_text.h"

void WriteText(const std::string& path, const std::string& text);  // text mode, as the writers
bool Exists(const std::string& path);
