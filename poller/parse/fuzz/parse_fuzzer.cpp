// libFuzzer target: any bytes as a downloaded result page, through normaliser, locator and parser.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "poller/parse/fuzz/page_run_check.h"
#include "poller/parse/result_page.h"

namespace {

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

// The one-pass entity clean-up against the rules done literally, on the input's first line.
void CheckCleanEntities(const std::uint8_t* data, std::size_t size) {
  char line[kPageWorkingLineSize] = {};
  char literal[kPageWorkingLineSize] = {};
  const std::size_t length = size < sizeof line - 1 ? size : sizeof line - 1;
  std::memcpy(line, data, length);
  std::memcpy(literal, data, length);
  CleanEntities(line);
  ReferenceCleanEntities(literal);
  if (std::strcmp(line, literal) != 0) Fail("CleanEntities", std::string(literal) + " | " + line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckCleanEntities(data, size);

  TimeLeft left = ParseTimeLeft(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)left;
  char price[kPageMaxStagedText + 1];
  if (AcceptPrice(std::string_view(reinterpret_cast<const char*>(data), size), price, sizeof price) &&
      std::strlen(price) > kPageMaxStagedText)
    Fail("AcceptPrice", price);

  std::FILE* page = std::fopen("page.html", "wb");
  if (!page) Fail("fopen", "page.html");
  std::fwrite(data, 1, size, page);
  std::fclose(page);
  std::string failure = CheckNormaliserAgainstPasses("page.html");
  if (!failure.empty()) Fail("merged normaliser", failure);
  failure = CheckParserAgainstReference("page.html", PageRunMode::Normalised);
  if (!failure.empty()) Fail("parser against its reference, normalised page", failure);
  failure = CheckParserAgainstReference("page.html", PageRunMode::Raw);
  if (!failure.empty()) Fail("parser against its reference, raw page", failure);
  failure = CheckPageRun("page.html", PageRunMode::Normalised);
  if (!failure.empty()) Fail("normalised page", failure);
  failure = CheckPageRun("page.html", PageRunMode::Raw);
  if (!failure.empty()) Fail("raw page", failure);
  return 0;
}
