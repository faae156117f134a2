// The sample result pages parse to the items a reader of each page would list, in page order;
// the fuzzer's crash inputs still run through cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <algorithm>
#include <string>
#include <vector>

#include "poller/parse/result_page.h"
#include "poller/parse/tests/parse_test_util.h"

namespace {

// The .expected files may hold blank lines between items.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = SplitLines(text);
  lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
  return lines;
}

std::vector<std::string> ItemsOf(const std::string& pageFile) {
  std::vector<AuctionItem> items;
  EXPECT_EQ(CheckPageRun(pageFile.c_str(), PageRunMode::Normalised, &items), "") << pageFile;
  std::vector<std::string> lines;
  for (const AuctionItem& item : items) lines.push_back(FormatItem(item));
  return lines;
}

TEST(SamplePages, ParseToTheExpectedItems) {
  const char* const kPages[] = {"raw_pocket_watches", "escaped_film_cameras", "raw_long_line_pens",
                                "raw_no_items", "escaped_no_items"};
  for (const char* name : kPages) {
    const std::string page = std::string("pages/") + name + ".html";
    const std::string saved = ReadFileBytes(page);
    ASSERT_FALSE(saved.empty()) << page;
    const std::vector<std::string> expected = Lines(ReadFileBytes(std::string("pages/") + name + ".expected"));
    EXPECT_EQ(ItemsOf(page), expected) << name;
    EXPECT_EQ(ReadFileBytes(page), saved) << "a saved page is read, not changed";

    // As downloaded: the page is the working page file itself.
    WriteFileBytes("temphtml.html", saved);
    EXPECT_EQ(ItemsOf("temphtml.html"), expected) << name;
  }
}

TEST(SamplePages, FuzzerFindingsRunThroughCleanly) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator("regressions")) {
    if (!entry.is_regular_file()) continue;
    const std::string input = entry.path().string();
    ++inputs;
    EXPECT_EQ(CheckPageRun(input.c_str(), PageRunMode::Normalised), "") << input;
    EXPECT_EQ(CheckPageRun(input.c_str(), PageRunMode::Raw), "") << input;
  }
  EXPECT_GT(inputs, 0);
}

TEST(SamplePages, ParserGivesWhatItsReferenceGives) {
  std::vector<std::string> inputs;
  for (const char* name : {"raw_pocket_watches", "escaped_film_cameras", "raw_long_line_pens", "raw_no_items",
                           "escaped_no_items"}) {
    inputs.push_back(ReadFileBytes(std::string("pages/") + name + ".html"));
  }
  for (const auto& entry : std::filesystem::directory_iterator("regressions")) {
    if (entry.is_regular_file()) inputs.push_back(ReadFileBytes(entry.path().string()));
  }
  // Pages shuffled together from the pieces of item rows of both layouts.
  const std::string kPieces[] = {"<tr><td><a href=\"x.dll?ViewItem&item=", "<a href=\"ViewItem&amp;item=", "12345",
                                 "&amp;rd=1\">", "\">", "<font>Brass compass</font>", "<b>Tom &amp;amp; Jerry</b>",
                                 "<td>$1,234.56</td>", "<td>US $9.99</td>", "<td>-</td>", "<td>7</td>",
                                 "<td>2d 03h 15m</td>", "<td><1m</td>", "<td>abc</td>", "</td></tr>\n",
                                 "<!-- rUreCacheEnd -->", "Save this search", "rUreISAPI.dll?Featured",
                                 "<!-- rUreCacheStart -->\n", "&#39;", "<wbr>", std::string(700, 'q'), "\n", ">", "<"};
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    std::string page;
    const int count = static_cast<int>(random() % 80);
    for (int i = 0; i < count; ++i) page += kPieces[random() % std::size(kPieces)];
    inputs.push_back(page);
  }
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    WriteFileBytes("page.html", inputs[i]);
    ASSERT_EQ(CheckParserAgainstReference("page.html", PageRunMode::Normalised), "") << "input " << i;
    ASSERT_EQ(CheckParserAgainstReference("page.html", PageRunMode::Raw), "") << "input " << i;
  }
}

}  // namespace
