// Helpers for the parser tests: pages written to files and run through the page loop.
#pragma once
#include <string>
#include <vector>

#include "poller/parse/fuzz/page_run_check.h"

#include "tests/support/test_text.h"

bool FileExists(const std::string& path);

// Writes page to "page.html" and runs the page loop over it; each item as FormatItem gives it.
// A broken invariant of the loop fails the calling test.
std::vector<std::string> ParsePage(const std::string& page, PageRunMode mode = PageRunMode::Normalised);

// The normalised page that NormaliseResultPage makes of page, read through the page stream.
std::string NormalisedText(const std::string& page);
