// Helpers for the parser tests.
#include "poller/parse/tests/parse_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "poller/parse/result_page.h"

namespace {
// The rest of an open stream.
std::string ReadAll(std::FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}
}  // namespace

bool FileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

std::vector<std::string> ParsePage(const std::string& page, PageRunMode mode) {
  WriteFileBytes("page.html", page);
  std::vector<AuctionItem> items;
  const std::string failure = CheckPageRun("page.html", mode, &items);
  EXPECT_EQ(failure, "");
  std::vector<std::string> lines;
  for (const AuctionItem& item : items) lines.push_back(FormatItem(item));
  return lines;
}

std::string NormalisedText(const std::string& page) {
  WriteFileBytes("page.html", page);
  ResultPage result;
  result.stream = std::fopen("page.html", "r");
  NormaliseResultPage(result);
  if (!result.stream) return "(no stream)";
  std::string text = ReadAll(result.stream);
  ClosePage(result);
  EXPECT_FALSE(FileExists("temphtml.txt"));
  return text;
}
