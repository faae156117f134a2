// Pass log reader: lines written by the poller's writers read back; alert marks, cut-short
// and damaged lines, and titles that hold a label.
#include "common/pass_log_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/pass_log.h"
#include "common/tests/file_test_util.h"
#include "common/unique_file.h"

namespace {

const char kLog[] = "pass_log_reader_test.txt";

// Reads the log back and removes it.
PassLogContents ReadBack() {
  PassLogContents contents;
  {
    const UniqueFile in(std::fopen(kLog, "r"));
    EXPECT_TRUE(ReadPassLog(in.get(), contents));
  }
  std::remove(kLog);
  return contents;
}

// Writes a log with the poller's writers, then reads it back.
PassLogContents WrittenAndRead(const std::function<void(std::FILE*)>& write) {
  EXPECT_TRUE(WriteFileWith(kLog, write));
  return ReadBack();
}

PassLogContents ReadLog(const std::string& text) {
  WriteText(kLog, text);
  return ReadBack();
}

std::string ItemLine(const char* id, const char* description, int bids, const char* price, int days, int hours,
                     int minutes) {
  char line[2048];
  std::snprintf(line, sizeof line, "ID:%-12s Descript:%-50s Bids:%-4d Price:%-8s Days:%-8d Hours:%-8d Minutes:%-8d\n",
                id, description, bids, price, days, hours, minutes);
  return line;
}

// A title as the reader gives it back: padded by the log, cut to 45 bytes.
std::string Padded(const std::string& title) {
  std::string padded = title + std::string(50, ' ');
  return padded.substr(0, kLoggedDescriptionLength);
}

}  // namespace

TEST(PassLogReader, ReadsThePassAsThePollerWroteIt) {
  std::tm when{};
  when.tm_year = 104;
  when.tm_mon = 11;
  when.tm_mday = 6;
  when.tm_hour = 14;
  when.tm_min = 5;
  when.tm_sec = 9;
  const PassLogContents log = WrittenAndRead([&](std::FILE* f) {
    WriteVersionLine(f);
    WriteLastSearchLine(f, when);
    WriteSearchLine(f, "brass compass", 90, 25.0f);
    WriteNoBlockfileLine(f);
    WriteAlertLine(f, 90, 42, 25.0f, 19.5f);
    WriteItemLine(f, "371", "Antique brass ship compass", 3, "19.5", 0, 0, 42);
    WriteItemLine(f, "372", "Brass pocket compass with lid", 0, "31.00", 2, 5, 17);
    WritePageClosedLine(f);
    WriteSearchLine(f, "ID: and Bids: in a search name", 10, 1.0f);
    WritePageClosedLine(f);
    WriteListClosedLine(f, "lotwise2.ini");
  });
  EXPECT_EQ(log.lastSearch, "12/06/04 14:05:09");
  ASSERT_EQ(log.items.size(), 2u);

  const LoggedItem& first = log.items[0];
  EXPECT_EQ(first.id, "371");
  // The log pads the title to 50; the reader keeps the first 45 bytes, blanks included.
  EXPECT_EQ(first.description, std::string("Antique brass ship compass") + std::string(45 - 26, ' '));
  EXPECT_EQ(first.bids, 3);
  EXPECT_FLOAT_EQ(first.price, 19.5f);
  EXPECT_EQ(first.days, 0);
  EXPECT_EQ(first.hours, 0);
  EXPECT_EQ(first.minutes, 42);
  EXPECT_TRUE(first.alerted);

  const LoggedItem& second = log.items[1];
  EXPECT_EQ(second.id, "372");
  EXPECT_EQ(second.bids, 0);
  EXPECT_FLOAT_EQ(second.price, 31.0f);
  EXPECT_EQ(second.days, 2);
  EXPECT_EQ(second.hours, 5);
  EXPECT_EQ(second.minutes, 17);
  EXPECT_FALSE(second.alerted);
}

TEST(PassLogReader, AlertMarksOnlyTheItemLineRightAfterIt) {
  const std::string alert = "RURE LOTWISE ALERT: TargetMinutes:90 CurrentMinutes:42 TargetPrice:25.00 CurrentPrice:19.50 --\n";
  const std::string a = ItemLine("1", "a", 1, "1.00", 0, 0, 1);
  const std::string b = ItemLine("2", "b", 1, "1.00", 0, 0, 1);
  const std::string damaged = "ID:3          Descript:cut here\n";
  struct Case {
    const char* name;
    std::string text;
    std::vector<bool> alerted;
  } cases[] = {
      {"alert then two items", alert + a + b, {true, false}},
      {"alert as the last line", a + alert, {false}},
      {"two passes of alerts", alert + a + alert + b, {true, true}},
      {"alert spent on a damaged line", alert + damaged + a, {false}},
      {"no alert", a + b, {false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PassLogContents log = ReadLog(c.text);
    ASSERT_EQ(log.items.size(), c.alerted.size());
    for (size_t i = 0; i < c.alerted.size(); ++i) EXPECT_EQ(log.items[i].alerted, c.alerted[i]) << i;
  }
}

TEST(PassLogReader, LinesCutShortOrDamagedAreSkipped) {
  const std::string whole = ItemLine("10", "whole", 2, "5.00", 1, 2, 3);
  std::string cut = whole.substr(0, whole.find("Minutes:") + 9);  // "Minutes:3" without the rest
  struct Case {
    const char* name;
    std::string text;
    size_t items;
  } cases[] = {
      {"final line without its line end", whole + cut, 1},
      {"final item line cut inside its minutes", whole + whole.substr(0, whole.size() - 12), 1},
      {"no Descript:", whole + "ID:11 Bids:1 Price:1 Days:1 Hours:1 Minutes:1\n", 1},
      {"no Bids: after the description", whole + "ID:12 Descript:title only\n", 1},
      {"tail stops before Hours", whole + "ID:13 Descript:x Bids:1 Price:2.00 Days:3\n", 1},
      {"price is not a number", whole + "ID:14 Descript:x Bids:1 Price:n/a Days:1 Hours:1 Minutes:1\n", 1},
      {"ID: without an id", whole + "ID:\n", 1},
      {"empty log", "", 0},
      {"blank lines only", "\n\n\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PassLogContents log = ReadLog(c.text);
    ASSERT_EQ(log.items.size(), c.items);
    if (c.items) {
      EXPECT_EQ(log.items[0].id, "10");
      EXPECT_EQ(log.items[0].minutes, 3);
    }
  }
}

TEST(PassLogReader, ItemLineFieldsWhateverTheirWidth) {
  struct Case {
    const char* name;
    std::string line;
    const char* id;
    std::string description;
    int bids;
    float price;
    int minutes;
  } cases[] = {
      {"id longer than 12 and a 60-byte title", ItemLine("12345678901234567890", std::string(60, 'T').c_str(), 12, "1234.56", 0, 0, 5),
       "12345678901234567890", std::string(45, 'T'), 12, 1234.56f, 5},
      {"title holding Bids: and Price:", ItemLine("5", "Lot of 3 Bids:9 Price:1 cards", 4, "2.50", 0, 1, 2), "5",
       Padded("Lot of 3 Bids:9 Price:1 cards"), 4, 2.5f, 2},
      {"title holding a whole tail",
       ItemLine("6", "Bids:1 Price:2 Days:3 Hours:4 Minutes:5", 7, "8.00", 0, 0, 9), "6",
       Padded("Bids:1 Price:2 Days:3 Hours:4 Minutes:5"), 7, 8.0f, 9},
      {"empty title", ItemLine("7", "", 0, "0.99", 0, 0, 1), "7", std::string(45, ' '), 0, 0.99f, 1},
      {"short title without padding", "ID:8 Descript:abc Bids:1 Price:2 Days:0 Hours:0 Minutes:3", "8", "abc ", 1, 2.0f, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggedItem item;
    ASSERT_TRUE(ParseItemLine(c.line.c_str(), item)) << c.line;
    EXPECT_EQ(item.id, c.id);
    EXPECT_EQ(item.description, c.description);
    EXPECT_EQ(item.bids, c.bids);
    EXPECT_FLOAT_EQ(item.price, c.price);
    EXPECT_EQ(item.minutes, c.minutes);
  }
}

TEST(PassLogReader, LastSearchLine) {
  std::string dateTime;
  EXPECT_TRUE(ParseLastSearchLine("Last Search: 12/06/04 14:05:09", dateTime));
  EXPECT_EQ(dateTime, "12/06/04 14:05:09");
  EXPECT_FALSE(ParseLastSearchLine("Last Search: 12/06/04", dateTime));
  EXPECT_FALSE(ParseLastSearchLine("Last Search:", dateTime));
  EXPECT_FALSE(ParseLastSearchLine("Lotwise Version 2.8", dateTime));

  // The last one wins; a log without the line leaves the text empty.
  EXPECT_EQ(ReadLog("Last Search: 01/01/04 00:00:01\nLast Search: 02/02/04 10:00:00\n").lastSearch, "02/02/04 10:00:00");
  EXPECT_EQ(ReadLog("Lotwise Version 2.8\n").lastSearch, "");
}

TEST(PassLogReader, LineKinds) {
  const std::pair<const char*, PassLogLineKind> cases[] = {
      {"ID:1 Descript:x", PassLogLineKind::Item},
      {"Last Search: a b", PassLogLineKind::LastSearch},
      {"RURE LOTWISE ALERT: x", PassLogLineKind::Alert},
      {"DESCRIPTION:x TRIGGERMINUTES:1 TRIGGERPRICE:1.00", PassLogLineKind::Search},
      {"Lotwise Version 2.8", PassLogLineKind::Other},
      {"no blockfile", PassLogLineKind::Other},
      {"Closed temphtml.html", PassLogLineKind::Other},
      {" ID:1", PassLogLineKind::Other},
      {"", PassLogLineKind::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyPassLogLine(c.first), c.second) << c.first;
}

TEST(PassLogReader, NoFileIsReportedAndLeavesNothing) {
  PassLogContents log;
  log.lastSearch = "stale";
  EXPECT_FALSE(ReadPassLog(nullptr, log));
  EXPECT_TRUE(log.items.empty());
  EXPECT_TRUE(log.lastSearch.empty());
}
