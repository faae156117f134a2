// The file-and-text toolkit: the capped line reader, the checked close and the integer scans.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_lines.h"
#include "common/tests/file_test_util.h"
#include "common/text_scan.h"
#include "common/unique_file.h"

namespace {

const char kFile[] = "file_toolkit_test.txt";

std::vector<std::string> ReadLines(const std::string& bytes, std::size_t cap) {
  EXPECT_TRUE(WriteFileBytes(kFile, bytes));
  const UniqueFile file(std::fopen(kFile, "rb"));
  std::vector<std::string> lines;
  EXPECT_TRUE(file && ReadFileLines(file.get(), cap, lines));
  return lines;
}

TEST(ReadFileLine, ACapCutsTheLineAndDropsItsRestNotTheNextLine) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(ReadLines("abcdef\nxy\n", 3), (Lines{"abc", "xy"}));
  EXPECT_EQ(ReadLines("abc\n", 3), (Lines{"abc"}));
  EXPECT_EQ(ReadLines(std::string("a\0b\0c\nd", 7), kWholeLine), (Lines{std::string("a\0b\0c", 5), "d"}));
  EXPECT_EQ(ReadLines(std::string("a\0bcd\n", 6), 3), (Lines{std::string("a\0b", 3)}));
#ifdef _WIN32
  // Binary mode keeps the CR of CR LF: the reader drops it, but only when it was kept.
  EXPECT_EQ(ReadLines("ab\r\ncd\r\n", kWholeLine), (Lines{"ab", "cd"}));
  EXPECT_EQ(ReadLines("ab\r\r\n", 3), (Lines{"ab\r"}));
  EXPECT_EQ(ReadLines("abc\r\n", 3), (Lines{"abc"}));
#else
  EXPECT_EQ(ReadLines("ab\r\n", kWholeLine), (Lines{"ab\r"}));
#endif
}

TEST(CloseChecked, ReportsAFileThatWasNeverOpened) { EXPECT_FALSE(CloseChecked(UniqueFile())); }

TEST(CloseChecked, ReportsAWrittenFileClosedWell) {
  UniqueFile file(std::fopen(kFile, "w"));
  ASSERT_TRUE(file);
  std::fputs("x\n", file.get());
  EXPECT_TRUE(CloseChecked(std::move(file)));
}

// Natively only: under Wine a small write to the device's Z: path is not reported at the close,
// so there the download test's full-disk case, which writes pages, is the check.
#ifndef _WIN32
TEST(CloseChecked, ReportsAWriteThatFailsOnlyAtTheFlush) {
  const char kFullDevice[] = "/dev/full";
  UniqueFile file(std::fopen(kFullDevice, "w"));
  if (!file) GTEST_SKIP() << kFullDevice << " cannot be opened here";
  // A buffered line: the write itself succeeds, the disk-full error comes with the close.
  ASSERT_NE(std::fputs("x\n", file.get()), EOF);
  EXPECT_FALSE(CloseChecked(std::move(file)));
}
#endif

// The three integer scans side by side: their blanks and their ranges differ on purpose.
TEST(IntegerScans, EachKeepsItsOwnBlanksAndRange) {
  struct Case {
    const char* text;
    bool intFound;
    int intValue;
    bool pageFound;
    int pageValue;
    bool stampFound;
    std::int32_t stampValue;
  };
  const Case cases[] = {
      {" 42x", true, 42, true, 42, true, 42},
      {"\t-7", true, -7, true, -7, true, -7},
      {"+", false, 0, false, 0, false, 0},
      {"\xA0" "5", false, 0, true, 5, false, 0},
      {"2147483647", true, INT_MAX, true, INT_MAX, true, INT32_MAX},
      {"-2147483648", true, INT_MIN, true, INT_MIN, true, INT32_MIN},
      {"2147483648", true, INT_MAX, true, INT_MAX, false, 0},
      {"-99999999999999999999999", true, INT_MIN, true, INT_MIN, false, 0},
  };
  for (const Case& c : cases) {
    int scanned = 0;
    EXPECT_EQ(TextScan(c.text).Int(scanned), c.intFound) << c.text;
    EXPECT_EQ(scanned, c.intValue) << c.text;  // untouched without a number

    std::string_view page(c.text);
    int pageValue = 0;
    EXPECT_EQ(ScanPageInt(page, pageValue), c.pageFound) << c.text;
    EXPECT_EQ(pageValue, c.pageValue) << c.text;

    std::string_view stampText(c.text);
    std::int32_t stamp = 0;
    EXPECT_EQ(ScanStamp(stampText, stamp), c.stampFound) << c.text;
    EXPECT_EQ(stamp, c.stampValue) << c.text;
    if (!c.stampFound) {
      EXPECT_EQ(stampText, c.text) << "a failed scan moves nothing";
    }
  }
}

}  // namespace
