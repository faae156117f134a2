// Bargain history: the writer's fields, the strict reader, the cap that keeps the newest
// lines byte for byte, and the append of one whole line.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/alert_history.h"
#include "common/alert_history_append.h"
#include "common/alert_history_cap.h"
#include "common/pass_log.h"
#include "common/tests/file_test_util.h"
#include "common/unique_file.h"

namespace {

AlertHistoryEntry Entry(const std::string& id, AlertAnswer answer = AlertAnswer::Now) {
  return {"12/06/24 14:05:09", "brass compass", id, "Antique brass ship compass", "19.50", 0, 2, 42, 25.0f, answer};
}

// Entries compared by every field.
void ExpectSame(const AlertHistoryEntry& read, const AlertHistoryEntry& written) {
  EXPECT_EQ(read.raised, written.raised);
  EXPECT_EQ(read.searchDescription, written.searchDescription);
  EXPECT_EQ(read.id, written.id);
  EXPECT_EQ(read.description, written.description);
  EXPECT_EQ(read.price, written.price);
  EXPECT_EQ(read.days, written.days);
  EXPECT_EQ(read.hours, written.hours);
  EXPECT_EQ(read.minutes, written.minutes);
  EXPECT_EQ(read.targetPrice, written.targetPrice);
  EXPECT_EQ(read.answer, written.answer);
}

std::vector<std::string> Ids(const std::vector<AlertHistoryEntry>& entries) {
  std::vector<std::string> ids;
  for (const AlertHistoryEntry& entry : entries) ids.push_back(entry.id);
  return ids;
}

// Large files compared without gtest's line diff, which takes minutes on a megabyte.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual.size() << " bytes, not " << expected.size()
                                       << "; they differ from byte " << at;
}

// The file read through the FILE* reader.
std::vector<AlertHistoryEntry> ReadFromFile(const char* path) {
  std::vector<AlertHistoryEntry> entries;
  const UniqueFile file(std::fopen(path, "rb"));
  EXPECT_TRUE(file != nullptr);
  if (file) {
    EXPECT_TRUE(ReadAlertHistory(file.get(), &entries));
  }
  return entries;
}

}  // namespace

TEST(AlertHistoryLine, TabsAndLineEndsInFieldsBecomeBlanks) {
  std::tm when{};
  when.tm_year = 124;
  when.tm_mon = 11;
  when.tm_mday = 6;
  when.tm_hour = 14;
  when.tm_min = 5;
  when.tm_sec = 9;
  AlertHistoryEntry entry = Entry("371\t2", AlertAnswer::Unanswered);
  entry.raised = FormatPassTime(when);
  entry.searchDescription = "brass\tcompass\r\n";
  entry.description = "Antique\r\nbrass\rship\ncompass";
  entry.price = "19\t50";
  entry.days = -1;
  entry.targetPrice = 25.5f;
  EXPECT_EQ(FormatAlertHistoryLine(entry),
            "12/06/24 14:05:09\tbrass compass  \t371 2\tAntique  brass ship compass\t19 50\t-1\t2\t42\t25.50\t"
            "unanswered\r\n");
}

TEST(AlertHistoryLine, FieldsAsLongAsThePollerHoldsAreKeptWhole) {
  AlertHistoryEntry entry = Entry("");
  entry.searchDescription = std::string(kAlertHistorySearchLength, 's');
  entry.id = std::string(kAlertHistoryIdLength, 'i');
  entry.description = std::string(kAlertHistoryDescriptionLength, 'd');
  entry.price = std::string(kAlertHistoryPriceLength, '9');
  EXPECT_EQ(kAlertHistorySearchLength, 127u);
  EXPECT_EQ(kAlertHistoryIdLength, 63u);
  EXPECT_EQ(kAlertHistoryDescriptionLength, 511u);
  EXPECT_EQ(kAlertHistoryPriceLength, 131u);
  const std::string line = FormatAlertHistoryLine(entry);
  std::vector<AlertHistoryEntry> read = ReadAlertHistory(line);
  ASSERT_EQ(read.size(), 1u);
  ExpectSame(read[0], entry);

  // Beyond what the poller's buffers hold, a field is cut to its length.
  AlertHistoryEntry longer = entry;
  longer.searchDescription += "S";
  longer.id += "I";
  longer.description += "D";
  longer.price += "P";
  EXPECT_EQ(FormatAlertHistoryLine(longer), line);
}

TEST(AlertHistoryLine, EveryAnswerAndNumberReadsBackAsWritten) {
  std::vector<AlertHistoryEntry> written;
  const AlertAnswer answers[] = {AlertAnswer::Now, AlertAnswer::Later, AlertAnswer::Never, AlertAnswer::None,
                                 AlertAnswer::Unanswered};
  const float targets[] = {0.0f, 0.1f, 19.99f, 1000000.0f, 131072.06f, -5.5f, FLT_MAX, -FLT_MAX};
  for (int i = 0; i < 8; ++i) {
    AlertHistoryEntry entry = Entry(std::to_string(i), answers[i % 5]);
    entry.targetPrice = targets[i];
    entry.days = i == 1 ? INT_MIN : i;
    entry.hours = i == 2 ? INT_MAX : 23;
    entry.minutes = i == 3 ? -59 : 0;
    if (i == 4) entry.searchDescription = entry.id = entry.description = entry.price = "";
    written.push_back(entry);
  }
  std::string bytes;
  for (const AlertHistoryEntry& entry : written) bytes += FormatAlertHistoryLine(entry);
  EXPECT_EQ(FormatAlertHistoryLine(written[7]),
            "12/06/24 14:05:09\tbrass compass\t7\tAntique brass ship compass\t19.50\t7\t23\t0\t"
            "-340282346638528859811704183484516925440.00\tnever\r\n");
  const std::vector<AlertHistoryEntry> read = ReadAlertHistory(bytes);
  ASSERT_EQ(read.size(), written.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    ExpectSame(read[i], written[i]);
    EXPECT_EQ(FormatAlertHistoryLine(read[i]), FormatAlertHistoryLine(written[i]));
  }
  for (AlertAnswer answer : answers) {
    AlertAnswer back = AlertAnswer::Now;
    EXPECT_TRUE(ParseAlertAnswer(AlertAnswerWord(answer), &back));
    EXPECT_EQ(back, answer);
  }
}

TEST(AlertHistoryRead, DamagedLinesAndALastLineWithoutItsEndAreSkipped) {
  const std::string good = "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tnow";
  const char* damaged[] = {
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00",             // nine fields
      "12/06/24 14:05:09\tbrass\tcompass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tnow",      // eleven
      "13/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tnow",       // month 13
      "12/06/24 24:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tnow",       // hour 24
      "12/6/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tnow",
      "12/06/2024 14:05\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\tx\t2\t42\t25.00\tnow",       // days not a number
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t+2\t42\t25.00\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t042\t25.00\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t\t25.00\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t2147483648\t2\t42\t25.00\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25\tnow",          // not %.2f
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.001\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t 25.00\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\tinf\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t-nan\tnow",
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tNow",       // unknown answer
      "12/06/24 14:05:09\tbrass compass\t371\tship compass\t19.50\t0\t2\t42\t25.00\tmaybe",
      "12/06/24 14:05:09\tbrass compass\t371\tship\rcompass\t19.50\t0\t2\t42\t25.00\tnow",      // a bare CR
      "",
      "[Settings]",
  };
  std::string bytes = good + "\r\n";
  for (const char* line : damaged) {
    AlertHistoryEntry entry;
    EXPECT_FALSE(ParseAlertHistoryLine(line, &entry)) << line;
    bytes += std::string(line) + "\r\n";
  }
  const char nulInId[] = "12/06/24 14:05:09\tbrass compass\t3\0" "7\tship compass\t19.50\t0\t2\t42\t25.00\tnow\r\n";
  bytes += std::string(nulInId, sizeof nulInId - 1);
  bytes += "12/06/24 14:05:09\tbrass compass\t371\t" + std::string(kAlertHistoryDescriptionLength + 1, 'd') +
           "\t19.50\t0\t2\t42\t25.00\tnow\r\n";
  bytes += std::string(100000, 'x') + good + "\r\n";  // a line far longer than any entry
  bytes += "12/06/24 14:05:10\tbrass compass\t372\tship compass\t31.00\t0\t0\t5\t25.00\tnever\n";  // bare LF
  bytes += "12/06/24 14:05:11\tbrass compass\t373\tship compass\t9.00\t0\t0\t1\t25.00\tlater\r\n";
  bytes += good + "\r";  // cut short between CR and LF

  const std::vector<AlertHistoryEntry> read = ReadAlertHistory(bytes);
  EXPECT_EQ(Ids(read), (std::vector<std::string>{"371", "372", "373"}));
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[1].answer, AlertAnswer::Never);
  EXPECT_EQ(FormatAlertHistoryLine(read[0]), good + "\r\n");

  // The FILE* reader, fed in pieces, reads the same.
  const char kPath[] = "alert_history_read.txt";
  ASSERT_TRUE(WriteFileBytes(kPath, bytes));
  EXPECT_EQ(Ids(ReadFromFile(kPath)), Ids(read));
  std::remove(kPath);
}

TEST(AlertHistoryCap, BeyondTheCapTheNewestLinesStayByteForByte) {
  const char kPath[] = "alert_history_cap.txt";
  const std::string temporary = TemporaryAlertHistoryPath(kPath);
  EXPECT_EQ(temporary, "alert_history_cap.txt.tmp");
  std::remove(kPath);
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Untouched);
  EXPECT_FALSE(Exists(kPath));
  EXPECT_EQ(kAlertHistoryKeptLines, 10000);
  EXPECT_EQ(kAlertHistoryCapLines, 11000);

  std::vector<std::string> lines;
  for (int i = 0; i < kAlertHistoryCapLines + 1; ++i) lines.push_back(FormatAlertHistoryLine(Entry(std::to_string(i))));
  const char damagedLine[] = "damaged\0line\tof\tanother\xff kind\r\n";
  const std::string damaged(damagedLine, sizeof damagedLine - 1);
  lines[5000] = damaged;
  std::string whole;
  for (const std::string& line : lines) whole += line;

  // 11,000 lines: left as they are.
  const std::string atCap = whole.substr(lines[0].size());
  ASSERT_TRUE(WriteFileBytes(kPath, atCap));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Untouched);
  EXPECT_TRUE(SameBytes(ReadFileBytes(kPath), atCap));
  EXPECT_FALSE(Exists(temporary));

  // 11,001 lines: the newest 10,000, the damaged one among them byte for byte.
  ASSERT_TRUE(WriteFileBytes(kPath, whole));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Capped);
  std::string newest;
  for (std::size_t i = lines.size() - kAlertHistoryKeptLines; i < lines.size(); ++i) newest += lines[i];
  const std::string capped = ReadFileBytes(kPath);
  EXPECT_TRUE(SameBytes(capped, newest));
  EXPECT_NE(capped.find(damaged), std::string::npos);
  EXPECT_FALSE(Exists(temporary));
  const std::vector<AlertHistoryEntry> read = ReadFromFile(kPath);
  ASSERT_EQ(read.size(), static_cast<std::size_t>(kAlertHistoryKeptLines - 1));
  EXPECT_EQ(read.front().id, "1001");
  EXPECT_EQ(read.back().id, "11000");
  std::remove(kPath);
}

TEST(AlertHistoryCap, AFileOfAnotherKindIsCappedByItsLineEndsOrLeftAlone) {
  const char kPath[] = "alert_history_binary.txt";
  // Bare LFs, NUL bytes, no CR, a last line without its end.
  std::string bytes;
  for (int i = 0; i <= kAlertHistoryCapLines; ++i) bytes += std::string("\0\x01", 2) + std::to_string(i) + "\n";
  bytes += std::string("\0tail", 5);
  ASSERT_TRUE(WriteFileBytes(kPath, bytes));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Capped);
  const std::string kept = ReadFileBytes(kPath);
  const std::string firstKept = std::string("\0\x01", 2) + "1001\n";
  EXPECT_EQ(kept.substr(0, firstKept.size()), firstKept);
  EXPECT_TRUE(SameBytes(kept, bytes.substr(bytes.find(firstKept))));
  std::remove(kPath);

  // One huge line with no line end at all.
  ASSERT_TRUE(WriteFileBytes(kPath, std::string(3 * 1024 * 1024, '\0')));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Untouched);
  std::remove(kPath);

  // A folder in the file's place: a failure to tell, nothing thrown.
  std::filesystem::remove_all(kPath);
  ASSERT_TRUE(std::filesystem::create_directory(kPath));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Failed);
  std::filesystem::remove(kPath);
}

TEST(AlertHistoryAppend, OneWholeLineLandsAtTheEnd) {
  const char kPath[] = "alert_history_append.txt";
  std::remove(kPath);
  const std::string first = FormatAlertHistoryLine(Entry("371"));
  const std::string second = FormatAlertHistoryLine(Entry("372", AlertAnswer::Never));
  ASSERT_TRUE(AppendAlertHistoryLine(kPath, first));  // creates the file
  EXPECT_EQ(ReadFileBytes(kPath), first);
  {
    // A reader holding the file open does not stop the append, and sees the line whole.
    const UniqueFile reader(std::fopen(kPath, "rb"));
    ASSERT_TRUE(reader != nullptr);
    ASSERT_TRUE(AppendAlertHistoryLine(kPath, second));
    std::vector<AlertHistoryEntry> read;
    EXPECT_TRUE(ReadAlertHistory(reader.get(), &read));
    EXPECT_EQ(Ids(read), (std::vector<std::string>{"371", "372"}));
  }
  EXPECT_EQ(ReadFileBytes(kPath), first + second);

  // After whatever the file holds, a last line cut short included.
  ASSERT_TRUE(WriteFileBytes(kPath, first + "cut"));
  ASSERT_TRUE(AppendAlertHistoryLine(kPath, second));
  EXPECT_EQ(ReadFileBytes(kPath), first + "cut" + second);
  std::remove(kPath);

  EXPECT_FALSE(AppendAlertHistoryLine("no_such_folder/alerthistory.txt", first));
}
