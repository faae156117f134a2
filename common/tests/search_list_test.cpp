// Search list: the three line forms read back alike in every reader; rewrites keep every
// other search byte for byte; malformed and over-long input is handled without overruns.
#include "common/search_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/tests/file_test_util.h"
#include "common/unique_file.h"

namespace {

SearchTexts Texts(const char* description, const char* url, const char* days, const char* hours,
                  const char* minutes, const char* price) {
  SearchTexts t{};
  std::snprintf(t.description, sizeof t.description, "%s", description);
  std::snprintf(t.url, sizeof t.url, "%s", url);
  std::snprintf(t.days, sizeof t.days, "%s", days);
  std::snprintf(t.hours, sizeof t.hours, "%s", hours);
  std::snprintf(t.minutes, sizeof t.minutes, "%s", minutes);
  std::snprintf(t.price, sizeof t.price, "%s", price);
  return t;
}

const char kList[] = "search_list_test.ini";

class SearchListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove(kList);
    std::remove(TemporaryCopyPath(kList).c_str());
  }
  void TearDown() override { SetUp(); }
};

}  // namespace

TEST(SearchListLine, EveryFormReadsBackTheSameInEveryReader) {
  SearchTexts texts = Texts("Nikon F3 body", "http://search.rure.com/x?a=1&b=2", "1", "2", "30", "12");
  SavedSearch converted{};
  std::snprintf(converted.description, sizeof converted.description, "Nikon F3 body");
  std::snprintf(converted.url, sizeof converted.url, "http://search.rure.com/x?a=1&b=2");
  converted.days = 1;
  converted.hours = 2;
  converted.minutes = 30;
  converted.price = 12;

  for (const std::string& line : {FormatAddForm(texts), FormatChangeForm(texts), FormatConversionForm(converted)}) {
    SCOPED_TRACE(line);
    SavedSearch search{};
    ASSERT_TRUE(ParseSavedSearch(line.c_str(), search));
    EXPECT_STREQ(search.description, "Nikon F3 body");
    EXPECT_STREQ(search.url, "http://search.rure.com/x?a=1&b=2");
    EXPECT_EQ(search.days, 1);
    EXPECT_EQ(search.hours, 2);
    EXPECT_EQ(search.minutes, 30);
    EXPECT_FLOAT_EQ(search.price, 12.0f);
    EXPECT_EQ(search.TriggerMinutes(), 30 + 60 * (2 + 24 * 1));

    SearchTexts words{};
    ASSERT_TRUE(ParseSearchTexts(line.c_str(), words));
    EXPECT_STREQ(words.description, "Nikon F3 body");
    EXPECT_STREQ(words.url, "http://search.rure.com/x?a=1&b=2");
    EXPECT_STREQ(words.minutes, "30");
  }
  EXPECT_EQ(FormatAddForm(texts), "\"Nikon F3 body\"\thttp://search.rure.com/x?a=1&b=2\t1\t2\t30\t12");
  EXPECT_EQ(FormatChangeForm(texts), "\"Nikon F3 body\" http://search.rure.com/x?a=1&b=2 1 2 30 12");
  EXPECT_EQ(FormatConversionForm(converted), "\"Nikon F3 body\" http://search.rure.com/x?a=1&b=2 1 2 30 12.00");
}

TEST(SearchListLine, MalformedLinesAreRefusedWithoutOverrun) {
  SavedSearch search{};
  SearchTexts words{};
  for (const char* line : {"", "no quotes at all 1 2 3 4", "\"unterminated http://x 1 2 3 4",
                           "\"missing numbers\" http://x 1 2", "\"\"", "\"price not a number\" http://x 1 2 3 abc",
                           "\"nan price\" http://x 1 2 3 nan"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(ParseSavedSearch(line, search));
  }
  EXPECT_FALSE(ParseSearchTexts("\"four words\" http://x 1 2 3", words));

  // Over-long description and numeric words are cut to their buffers, never overrun them.
  const std::string longDescription(300, 'd');
  const std::string longNumber(100, '7');
  const std::string line = "\"" + longDescription + "\" http://x " + longNumber + " 2 3 " + longNumber;
  ASSERT_TRUE(ParseSearchTexts(line.c_str(), words));
  EXPECT_EQ(std::strlen(words.description), 127u);
  EXPECT_EQ(std::strlen(words.days), 31u);
  EXPECT_STREQ(words.hours, "2");
  EXPECT_EQ(std::strlen(words.price), 31u);

  ASSERT_TRUE(ParseSavedSearch(line.c_str(), search));
  EXPECT_EQ(search.days, 2147483647);  // clamped, not wrapped
  EXPECT_EQ(search.TriggerMinutes(), 2147483647);
  EXPECT_EQ(search.price, 3.402823466e+38f);
}

TEST(SearchListLine, ConversionOfAnOldLine) {
  SavedSearch search{};
  ASSERT_TRUE(ParseOldSearchLine("\"Old search\" http://old.example/x 30 25.5", search));
  EXPECT_EQ(FormatConversionForm(search), "\"Old search\" http://old.example/x 0 0 30 25.50");
}

TEST_F(SearchListFile, ACtrlZByteEndsNeitherTheListNorAnyRewrite) {
  // Windows text mode reads 0x1A as the end of the file; the searches after it must survive.
  const std::string original =
      "\"one\" http://a/1 0 0 1 1\n\"two \x1A odd\" http://a/2 0 0 2 2\n\"three\" http://a/3 0 0 3 3\n";
  WriteText(kList, original);
  std::vector<std::string> lines;
  {
    const UniqueFile file(OpenListForReading(kList));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(ReadFileLines(file.get(), kSearchListLineCap, lines));
  }
  EXPECT_EQ(lines.size(), 3u);

  ASSERT_EQ(ReplaceSearch(kList, 1, "\"one\" http://a/1 0 0 1 1", Texts("ONE", "http://b/1", "0", "0", "1", "1")),
            RewriteResult::Done);
  const SearchTexts four = Texts("four", "http://a/4", "0", "0", "4", "4");
  ASSERT_TRUE(AppendSearch(kList, four));
  ASSERT_EQ(DeleteSearch(kList, 4, FormatAddForm(four)), RewriteResult::Done);
  std::string onDisk = ReadFileBytes(kList);
  for (size_t at; (at = onDisk.find("\r\n")) != std::string::npos;) onDisk.erase(at, 1);
  EXPECT_EQ(onDisk, "\"ONE\" http://b/1 0 0 1 1\n\"two \x1A odd\" http://a/2 0 0 2 2\n\"three\" http://a/3 0 0 3 3\n");
}

TEST_F(SearchListFile, ChangingLineThreeOfFiveKeepsTheOthersByteForByte) {
  const std::string original =
      "\"one\"\thttp://a/1\t0\t1\t0\t10\n"
      "\"two\" http://a/2 0 0 5 12.50\n"
      "\"three\" http://a/3 0 0 0 3\n"
      "\"four  with  blanks\"\thttp://a/4\t1\t0\t0\t99.99\n"
      "\"five\" http://a/5 2 2 2 1.00\n";
  WriteText(kList, original);
  ASSERT_EQ(ReplaceSearch(kList, 3, "\"three\" http://a/3 0 0 0 3", Texts("THREE", "http://b/3", "1", "2", "3", "4.5")),
            RewriteResult::Done);
  EXPECT_EQ(ReadFileText(kList),
            "\"one\"\thttp://a/1\t0\t1\t0\t10\n"
            "\"two\" http://a/2 0 0 5 12.50\n"
            "\"THREE\" http://b/3 1 2 3 4.5\n"
            "\"four  with  blanks\"\thttp://a/4\t1\t0\t0\t99.99\n"
            "\"five\" http://a/5 2 2 2 1.00\n");
  EXPECT_FALSE(Exists(TemporaryCopyPath(kList)));

  WriteText(kList, original);
  ASSERT_EQ(DeleteSearch(kList, 3, "\"three\" http://a/3 0 0 0 3"), RewriteResult::Done);
  const std::string four =
      "\"one\"\thttp://a/1\t0\t1\t0\t10\n"
      "\"two\" http://a/2 0 0 5 12.50\n"
      "\"four  with  blanks\"\thttp://a/4\t1\t0\t0\t99.99\n"
      "\"five\" http://a/5 2 2 2 1.00\n";
  EXPECT_EQ(ReadFileText(kList), four);
  EXPECT_EQ(ReadFileText(TemporaryCopyPath(kList)), four);
}

TEST_F(SearchListFile, ALineThatIsGoneOrHoldsOtherBytesIsNeitherChangedNorDeleted) {
  // The manager loaded "one" and "two"; since then the list was edited by hand.
  const std::string one = "\"one\" http://a/1 0 0 1 1";
  const std::string two = "\"two\" http://a/2 0 0 2 2";
  const SearchTexts texts = Texts("x", "http://y", "1", "1", "1", "1");
  const struct {
    const char* name;
    const char* list;  // null: missing
    int line;
    const std::string& loaded;
  } cases[] = {
      {"line 1 deleted: line 1 now holds what was line 2", "\"two\" http://a/2 0 0 2 2\n", 1, one},
      {"line 2 gone", "\"one\" http://a/1 0 0 1 1\n", 2, two},
      {"a price edited", "\"one\" http://a/1 0 0 1 1\n\"two\" http://a/2 0 0 2 3\n", 2, two},
      {"a blank added", "\"one\" http://a/1 0 0 1 1 \n", 1, one},
      {"line 0", "\"one\" http://a/1 0 0 1 1\n", 0, one},
      {"list removed", nullptr, 1, one},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.list) WriteText(kList, c.list);
    EXPECT_EQ(ReplaceSearch(kList, c.line, c.loaded, texts), RewriteResult::LineChanged);
    EXPECT_EQ(DeleteSearch(kList, c.line, c.loaded), RewriteResult::LineChanged);
    EXPECT_EQ(Exists(kList), c.list != nullptr);
    EXPECT_EQ(ReadFileText(kList), c.list ? c.list : "");
    EXPECT_FALSE(Exists(TemporaryCopyPath(kList)));
  }
}

TEST_F(SearchListFile, AFinalLineWithoutLineEndIsNeverLost) {
  WriteText(kList, "\"one\" http://a/1 0 0 1 1\n\"fragment\" http://a/2 0 0 2 2");
  ASSERT_TRUE(AppendSearch(kList, Texts("added", "http://a/3", "0", "0", "3", "3")));
  EXPECT_EQ(ReadFileText(kList),
            "\"one\" http://a/1 0 0 1 1\n\"fragment\" http://a/2 0 0 2 2\n\"added\"\thttp://a/3\t0\t0\t3\t3\n");

  WriteText(kList, "\"one\" http://a/1 0 0 1 1\n\"fragment\" http://a/2 0 0 2 2");
  ASSERT_EQ(ReplaceSearch(kList, 1, "\"one\" http://a/1 0 0 1 1", Texts("ONE", "http://b/1", "0", "0", "1", "1")),
            RewriteResult::Done);
  EXPECT_EQ(ReadFileText(kList), "\"ONE\" http://b/1 0 0 1 1\n\"fragment\" http://a/2 0 0 2 2\n");
}

TEST_F(SearchListFile, OverlongAndMalformedLinesCountAsOneLineEach) {
  const std::string longLine = "\"long\" http://a/" + std::string(3000, 'x') + " 0 0 1 1";
  const std::string original = longLine + "\nnot a search at all\n\n\"last\" http://a/z 0 0 9 9\n";
  WriteText(kList, original);
  // Line 4 is "last": the 3000-byte line and the blank line each count as one line.
  ASSERT_EQ(ReplaceSearch(kList, 4, "\"last\" http://a/z 0 0 9 9", Texts("LAST", "http://b/z", "0", "0", "9", "9")),
            RewriteResult::Done);
  EXPECT_EQ(ReadFileText(kList), longLine + "\nnot a search at all\n\n\"LAST\" http://b/z 0 0 9 9\n");

  const UniqueFile file(std::fopen(kList, "r"));
  ASSERT_NE(file, nullptr);
  std::string line;
  ASSERT_TRUE(ReadFileLine(file.get(), kSearchListLineCap, line));
  SavedSearch search{};
  ASSERT_TRUE(ParseSavedSearch(line.c_str(), search));
  EXPECT_EQ(std::strlen(search.url), 1023u);  // cut to its buffer; the numbers behind it still read
  EXPECT_EQ(search.minutes, 1);
}

TEST_F(SearchListFile, ANulByteInALineHidesNoLineEnd) {
  // Found by the search list fuzzer: the NUL once hid the line end behind it, so the next
  // search ran into this line and a rewrite dropped it.
  const char kOne[] = "\"one\" http://a/1 0 0 1 1\0\xba";
  const std::string one(kOne, sizeof kOne - 1);
  const std::string original = one + "\n\"two\" http://a/2 0 0 2 2\n";
  WriteText(kList, original);
  std::vector<std::string> lines;
  {
    const UniqueFile file(std::fopen(kList, "r"));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(ReadFileLines(file.get(), kSearchListLineCap, lines));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{one, "\"two\" http://a/2 0 0 2 2"}));

  const SearchTexts three = Texts("three", "http://a/3", "0", "0", "3", "3");
  ASSERT_TRUE(AppendSearch(kList, three));
  ASSERT_EQ(DeleteSearch(kList, 3, FormatAddForm(three)), RewriteResult::Done);
  EXPECT_EQ(ReadFileText(kList), original);
}

TEST_F(SearchListFile, AppendCreatesTheFileAndUsesTheAddForm) {
  ASSERT_TRUE(AppendSearch(kList, Texts("first", "http://a/1", "0", "1", "2", "12")));
  ASSERT_TRUE(AppendSearch(kList, Texts("second", "http://a/2", "3", "4", "5", "6.5")));
  EXPECT_EQ(ReadFileText(kList), "\"first\"\thttp://a/1\t0\t1\t2\t12\n\"second\"\thttp://a/2\t3\t4\t5\t6.5\n");
}

TEST_F(SearchListFile, ConversionStopsAtTheFirstShortLine) {
  const char oldList[] = "search_list_test_old.ini";
  WriteText(oldList,
            "\"Old search\" http://old/1 30 25.5\n"
            "not quoted 1 2\n"
            "\"Second\" http://old/2 45 100\n"
            "abc\n"
            "\"After the short line\" http://old/3 5 5\n");
  ASSERT_EQ(ConvertOldSearchList(oldList, kList), ConversionResult::Converted);
  EXPECT_EQ(ReadFileText(kList), "\"Old search\" http://old/1 0 0 30 25.50\n\"Second\" http://old/2 0 0 45 100.00\n");

  std::remove(oldList);
  ASSERT_EQ(ConvertOldSearchList(oldList, kList), ConversionResult::Converted);
  EXPECT_TRUE(Exists(kList));
  EXPECT_EQ(ReadFileText(kList), "");
}

TEST_F(SearchListFile, AnOldListThatCannotBeReadIsNotConvertedToAnEmptyList) {
  // A folder in the old list's place: Windows refuses to open it, a POSIX read of it fails.
  const char oldList[] = "search_list_test_unreadable.ini";
  std::filesystem::remove_all(oldList);
  ASSERT_TRUE(std::filesystem::create_directory(oldList));
  EXPECT_EQ(ConvertOldSearchList(oldList, kList), ConversionResult::OldListUnreadable);
  EXPECT_FALSE(Exists(kList));
  EXPECT_FALSE(Exists(TemporaryCopyPath(kList)));

  // Readable again: converted.
  std::filesystem::remove(oldList);
  WriteText(oldList, "\"Old search\" http://old/1 30 25.5\n");
  EXPECT_EQ(ConvertOldSearchList(oldList, kList), ConversionResult::Converted);
  EXPECT_EQ(ReadFileText(kList), "\"Old search\" http://old/1 0 0 30 25.50\n");
  std::remove(oldList);
}
