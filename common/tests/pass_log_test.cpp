// Pass log lines: exact formats, widths and flushing.
#include "common/pass_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/tests/file_test_util.h"

namespace {

const char kLog[] = "pass_log_test.txt";

template <typename Write>
std::string Written(Write write) {
  EXPECT_TRUE(WriteFileWith(kLog, write));
  std::string text = ReadFileText(kLog);
  std::remove(kLog);
  return text;
}

}  // namespace

TEST(PassLog, OnePassLaidOutAsTheReaderExpects) {
  std::tm when{};
  when.tm_year = 104;
  when.tm_mon = 11;
  when.tm_mday = 6;
  when.tm_hour = 14;
  when.tm_min = 5;
  when.tm_sec = 9;
  const std::string text = Written([&](std::FILE* log) {
    WriteVersionLine(log);
    WriteLastSearchLine(log, when);
    WriteSearchLine(log, "brass compass", 90, 25.0f);
    WriteTestLine(log, "saved.html");
    WriteNoBlockfileLine(log);
    WriteAlertLine(log, 90, 42, 25.0f, 19.5f);
    WriteItemLine(log, "371", "Antique brass ship compass", 3, "19.50", 0, 0, 42);
    WriteItemLine(log, "372", "Brass pocket compass with lid", 0, "31.00", 2, 5, 17);
    WritePageClosedLine(log);
    WriteListClosedLine(log, "lotwise2.ini");
  });
  EXPECT_EQ(text,
            "Lotwise Version 2.8\n"
            "Last Search: 12/06/04 14:05:09\n"
            "DESCRIPTION:brass compass TRIGGERMINUTES:90 TRIGGERPRICE:25.00\n"
            "Testing file=saved.html\n"
            "no blockfile\n"
            "RURE LOTWISE ALERT: TargetMinutes:90 CurrentMinutes:42 TargetPrice:25.00 CurrentPrice:19.50 --\n"
            "ID:371          Descript:Antique brass ship compass                         Bids:3    Price:19.50    "
            "Days:0        Hours:0        Minutes:42      \n"
            "ID:372          Descript:Brass pocket compass with lid                      Bids:0    Price:31.00    "
            "Days:2        Hours:5        Minutes:17      \n"
            "Closed temphtml.html\n"
            "Closed lotwise2.ini\n");
}

TEST(PassLog, LongFieldsAreWrittenWholeAndPushTheLabelsRight) {
  const std::string id(20, '9');
  const std::string description(70, 'x');
  const std::string text = Written([&](std::FILE* log) {
    WriteItemLine(log, id.c_str(), description.c_str(), 12345, "1234567.50", -1, 100000, 7);
  });
  EXPECT_EQ(text, "ID:" + id + " Descript:" + description +
                      " Bids:12345 Price:1234567.50 Days:-1       Hours:100000   Minutes:7       \n");
}

TEST(PassLog, EveryLineButNoBlockfileIsFlushedAtOnce) {
  std::FILE* log = std::fopen(kLog, "w");
  std::setvbuf(log, nullptr, _IOFBF, 1 << 16);  // a large buffer: only an explicit flush writes
  WriteSearchLine(log, "flushed", 1, 1.0f);
  EXPECT_EQ(ReadFileText(kLog), "DESCRIPTION:flushed TRIGGERMINUTES:1 TRIGGERPRICE:1.00\n");
  WriteNoBlockfileLine(log);
  EXPECT_EQ(ReadFileText(kLog), "DESCRIPTION:flushed TRIGGERMINUTES:1 TRIGGERPRICE:1.00\n");
  WriteAlertLine(log, 1, 1, 1.0f, 1.0f);
  EXPECT_NE(ReadFileText(kLog).find("no blockfile\nRURE LOTWISE ALERT"), std::string::npos);
  std::fclose(log);
  std::remove(kLog);
}
