// Bargain history: the writer's fields, the strict reader, the cap that keeps the newest
// lines byte for byte, and the append of one whole line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
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

// Every field, for comparing entries.
auto Fields(const AlertHistoryEntry& e) {
  return std::tie(e.raised, e.searchDescription, e.id, e.description, e.price, e.days, e.hours, e.minutes,
                  e.targetPrice, e.answer);
}

std::vector<std::string> Ids(const std::vector<AlertHistoryEntry>& entries) {
  std::vector<std::string> ids;
  for (const AlertHistoryEntry& entry : entries) ids.push_back(entry.id);
  return ids;
}

// A line that reads, with one field replaced.
std::string GoodLineWith(std::size_t field, const std::string& value) {
  std::vector<std::string> fields = {"12/06/24 14:05:09", "brass compass", "371", "ship compass", "19.50",
                                     "0", "2", "42", "25.00", "now"};
  fields[field] = value;
  std::string line = fields[0];
  for (std::size_t i = 1; i < fields.size(); ++i) line += "\t" + fields[i];
  return line;
}

// Large files compared without gtest's line diff, which takes minutes on a megabyte.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto at = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first;
  return ::testing::AssertionFailure() << actual.size() << " bytes, not " << expected.size()
                                       << "; they differ from byte " << at - actual.begin();
}

// The file read through the FILE* reader.
std::vector<AlertHistoryEntry> ReadFromFile(const char* path) {
  std::vector<AlertHistoryEntry> entries;
  const UniqueFile file(std::fopen(path, "rb"));
  EXPECT_TRUE(file && ReadAlertHistory(file.get(), &entries)) << path;
  return entries;
}

}  // namespace

TEST(AlertHistoryLine, TabsAndLineEndsInFieldsBecomeBlanksAndLongFieldsAreCut) {
  std::tm when{};
  when.tm_year = 124; when.tm_mon = 11; when.tm_mday = 6;
  when.tm_hour = 14; when.tm_min = 5; when.tm_sec = 9;
  EXPECT_EQ(FormatAlertHistoryLine({FormatPassTime(when), "brass\tcompass\r\n", "371\t2",
                                    "Antique\r\nbrass\rship\ncompass", "19\t50", -1, 2, 42, 25.5f,
                                    AlertAnswer::Unanswered}),
            "12/06/24 14:05:09\tbrass compass  \t371 2\tAntique  brass ship compass\t19 50\t-1\t2\t42\t25.50\t"
            "unanswered\r\n");

  // Fields as long as the poller's buffers hold are kept whole; one byte more is cut.
  const AlertHistoryEntry entry = {"12/06/24 14:05:09", std::string(127, 's'), std::string(63, 'i'),
                                   std::string(511, 'd'), std::string(131, '9'), 0, 2, 42, 25.0f, AlertAnswer::Now};
  const std::string line = FormatAlertHistoryLine(entry);
  const std::vector<AlertHistoryEntry> read = ReadAlertHistory(line);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(Fields(read[0]), Fields(entry));
  EXPECT_EQ(FormatAlertHistoryLine({entry.raised, entry.searchDescription + "S", entry.id + "I",
                                    entry.description + "D", entry.price + "P", 0, 2, 42, 25.0f, AlertAnswer::Now}),
            line);
}

TEST(AlertHistoryLine, EveryAnswerAndNumberReadsBackAsWritten) {
  std::vector<AlertHistoryEntry> written;
  const AlertAnswer answers[] = {AlertAnswer::Now, AlertAnswer::Later, AlertAnswer::Never, AlertAnswer::None,
                                 AlertAnswer::Unanswered};
  const float targets[] = {0.0f, 0.1f, 19.99f, 1000000.0f, 131072.06f, -5.5f, FLT_MAX, -FLT_MAX};
  std::string bytes;
  for (int i = 0; i < 8; ++i) {
    AlertHistoryEntry entry = Entry(std::to_string(i), answers[i % 5]);
    entry.targetPrice = targets[i];
    entry.days = i == 1 ? INT_MIN : i;
    entry.hours = i == 2 ? INT_MAX : 23;
    entry.minutes = i == 3 ? -59 : 0;
    if (i == 4) entry.searchDescription = entry.id = entry.description = entry.price = "";
    written.push_back(entry);
    bytes += FormatAlertHistoryLine(entry);
  }
  EXPECT_EQ(FormatAlertHistoryLine(written[7]),
            "12/06/24 14:05:09\tbrass compass\t7\tAntique brass ship compass\t19.50\t7\t23\t0\t"
            "-340282346638528859811704183484516925440.00\tnever\r\n");
  const std::vector<AlertHistoryEntry> read = ReadAlertHistory(bytes);
  ASSERT_EQ(read.size(), written.size());
  for (std::size_t i = 0; i < read.size(); ++i) EXPECT_EQ(Fields(read[i]), Fields(written[i])) << i;
  for (AlertAnswer answer : answers) {
    AlertAnswer back = AlertAnswer::Now;
    EXPECT_TRUE(ParseAlertAnswer(AlertAnswerWord(answer), &back) && back == answer) << AlertAnswerWord(answer);
  }
}

TEST(AlertHistoryRead, DamagedLinesAndALastLineWithoutItsEndAreSkipped) {
  const std::string good = GoodLineWith(9, "now");
  std::vector<std::string> damaged = {good.substr(0, good.rfind('\t')), "", "[Settings]"};  // nine fields
  const std::pair<std::size_t, std::string> wrongFields[] = {
      {1, "brass\tcompass"},  // eleven fields
      {0, "13/06/24 14:05:09"}, {0, "12/06/24 24:05:09"}, {0, "12/6/24 14:05:09"}, {0, "12/06/2024 14:05"},
      {2, std::string("3\0" "7", 3)}, {3, "ship\rcompass"}, {3, std::string(kAlertHistoryDescriptionLength + 1, 'd')},
      {5, "x"}, {6, "+2"}, {7, "042"}, {7, ""}, {5, "2147483648"},
      {8, "25"}, {8, "25.001"}, {8, " 25.00"}, {8, "inf"}, {8, "-nan"},  // not as %.2f writes it
      {9, "Now"}, {9, "maybe"},
  };
  for (const auto& [field, value] : wrongFields) damaged.push_back(GoodLineWith(field, value));
  std::string bytes = good + "\r\n";
  for (const std::string& line : damaged) {
    AlertHistoryEntry entry;
    EXPECT_FALSE(ParseAlertHistoryLine(line, &entry)) << line;
    bytes += line + "\r\n";
  }
  bytes += std::string(100000, 'x') + good + "\r\n";  // a line far longer than any entry
  bytes += "12/06/24 14:05:10\tbrass compass\t372\tship compass\t31.00\t0\t0\t5\t25.00\tnever\n";  // bare LF
  bytes += "12/06/24 14:05:11\tbrass compass\t373\tship compass\t9.00\t0\t0\t1\t25.00\tlater\r\n";
  bytes += good + "\r";  // cut short between CR and LF

  const std::vector<AlertHistoryEntry> read = ReadAlertHistory(bytes);
  ASSERT_EQ(Ids(read), (std::vector<std::string>{"371", "372", "373"}));
  EXPECT_EQ(FormatAlertHistoryLine(read[0]), good + "\r\n");

  // The FILE* reader, fed in pieces, reads the same.
  const char kPath[] = "alert_history_read.txt";
  ASSERT_TRUE(WriteFileBytes(kPath, bytes));
  EXPECT_EQ(Ids(ReadFromFile(kPath)), Ids(read));
  std::remove(kPath);
}

TEST(AlertHistoryCap, BeyondElevenThousandLinesTheNewestTenThousandStayByteForByte) {
  const char kPath[] = "alert_history_cap.txt";
  const std::string temporary = TemporaryAlertHistoryPath(kPath);
  EXPECT_EQ(temporary, "alert_history_cap.txt.tmp");
  std::remove(kPath);
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Untouched);
  EXPECT_FALSE(Exists(kPath));

  const char damagedLine[] = "damaged\0line\tof\tanother\xff kind\r\n";
  const std::string damaged(damagedLine, sizeof damagedLine - 1);
  std::string whole, newest;
  for (int i = 0; i < 11001; ++i) {
    const std::string line = i == 5000 ? damaged : FormatAlertHistoryLine(Entry(std::to_string(i)));
    whole += line;
    if (i >= 1001) newest += line;
  }

  // 11,000 lines: left as they are.
  const std::string atCap = whole.substr(whole.find('\n') + 1);
  ASSERT_TRUE(WriteFileBytes(kPath, atCap));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Untouched);
  EXPECT_TRUE(SameBytes(ReadFileBytes(kPath), atCap));
  EXPECT_FALSE(Exists(temporary));

  // 11,001 lines: the newest 10,000, the damaged one among them byte for byte.
  ASSERT_TRUE(WriteFileBytes(kPath, whole));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Capped);
  EXPECT_TRUE(SameBytes(ReadFileBytes(kPath), newest));
  EXPECT_FALSE(Exists(temporary));
  const std::vector<AlertHistoryEntry> read = ReadFromFile(kPath);
  ASSERT_EQ(read.size(), 9999u);
  EXPECT_EQ(read.front().id, "1001");
  EXPECT_EQ(read.back().id, "11000");
  std::remove(kPath);
}

TEST(AlertHistoryCap, AFileOfAnotherKindIsCappedByItsLineEndsOrLeftAlone) {
  const char kPath[] = "alert_history_binary.txt";
  // Bare LFs, NUL bytes, no CR, a last line without its end.
  std::string bytes;
  for (int i = 0; i <= 11000; ++i) bytes += std::string("\0\x01", 2) + std::to_string(i) + "\n";
  bytes += std::string("\0tail", 5);
  ASSERT_TRUE(WriteFileBytes(kPath, bytes));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Capped);
  EXPECT_TRUE(SameBytes(ReadFileBytes(kPath), bytes.substr(bytes.find(std::string("\0\x01", 2) + "1001\n"))));

  // One huge line with no line end at all.
  ASSERT_TRUE(WriteFileBytes(kPath, std::string(3 * 1024 * 1024, '\0')));
  EXPECT_EQ(CapAlertHistory(kPath), AlertHistoryCap::Untouched);
  std::filesystem::remove_all(kPath);

  // A folder in the file's place: a failure to tell, nothing thrown.
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
