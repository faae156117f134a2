// Search health: the file's lines split from the right, damaged files refused whole, the runs
// of one kind, matching by description and address, the warning rule and its message.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/search_health_file.h"
#include "common/search_health_update.h"
#include "common/search_health_warning.h"
#include "common/tests/file_test_util.h"

namespace {

SearchOutcome Items(long n) { return PageReadOutcome(n); }
SearchOutcome None() { return PageReadOutcome(0); }
SearchOutcome Failed(FailureCause cause, int status = 0) { return FailedOutcome(cause, status); }

SearchPassResult Result(const char* description, const char* address, const SearchOutcome& outcome) {
  return SearchPassResult{{description, address}, outcome};
}

// Runs passes of one search with the given outcomes; the lines after each pass and the
// warnings of each.
struct PassRun {
  std::vector<std::string> lines;
  std::vector<std::string> messages;
};
PassRun Passes(const std::vector<SearchOutcome>& outcomes) {
  std::vector<SearchHealth> records;
  PassRun run;
  int pass = 0;
  for (const SearchOutcome& outcome : outcomes) {
    const std::string time = "12/06/26 10:00:0" + std::to_string(pass++);
    HealthUpdate update = UpdateSearchHealth(records, {Result("compass", "http://h/x", outcome)}, time);
    records = update.records;
    run.lines.push_back(FormatHealthLine(records[0]));
    run.messages.push_back(FormatHealthWarningText(update.warnings));
  }
  return run;
}

const char kStoppedText[] =
    "These searches have stopped finding items:\ncompass\nThe site may have changed its pages, or the search "
    "address may no longer be right. Open Lotwise Manager to check them.";

}  // namespace

TEST(SearchHealthLine, FieldsAreSplitFromTheRightAndReadBack) {
  SearchHealth health;
  health.description = "tabs\tin the\tdescription";
  health.address = "http://search.example/x?q=1";
  health.outcome = Failed(FailureCause::Status, 503);
  health.passesInRow = 12;
  health.lastItemsFound = "12/06/26 14:05:09";
  health.warned = true;
  const std::string line = FormatHealthLine(health);
  EXPECT_EQ(line, "tabs\tin the\tdescription\thttp://search.example/x?q=1\tfailed status 503\t12\t12/06/26 14:05:09\t1");
  SearchHealth back;
  ASSERT_TRUE(ParseHealthLine(line, &back));
  EXPECT_EQ(FormatHealthLine(back), line);
  EXPECT_EQ(back.description, health.description);

  for (const SearchOutcome& o : {Items(1), Items(999999999), None(), Failed(FailureCause::Refused),
                                 Failed(FailureCause::Connection), Failed(FailureCause::Credentials),
                                 Failed(FailureCause::Redirect), Failed(FailureCause::File)}) {
    SearchOutcome read;
    ASSERT_TRUE(ParseOutcome(FormatOutcome(o), &read)) << FormatOutcome(o);
    EXPECT_EQ(FormatOutcome(read), FormatOutcome(o));
  }
  EXPECT_EQ(FormatOutcome(Failed(FailureCause::Connection)), "failed connection");
  EXPECT_EQ(FormatOutcome(Items(5)), "items 5");
}

TEST(SearchHealthLine, DamagedLinesAreRefused) {
  const char* damaged[] = {
      "",
      "d\thttp://x\tnone\t1\tnever",                       // a field short
      "d\t\tnone\t1\tnever\t0",                            // no address
      "d\thttp://x\tnone\t0\tnever\t0",                    // no pass in a row
      "d\thttp://x\tnone\t01\tnever\t0",
      "d\thttp://x\tnone\t1000000000\tnever\t0",           // beyond the counts kept
      "d\thttp://x\tnone\t1\tnever\t2",
      "d\thttp://x\tnone\t1\tyesterday\t0",
      "d\thttp://x\tnone\t1\t12/06/26 14:05\t0",
      "d\thttp://x\titems 0\t1\tnever\t0",
      "d\thttp://x\titems\t1\tnever\t0",
      "d\thttp://x\tfailed\t1\tnever\t0",
      "d\thttp://x\tfailed status 200\t1\tnever\t0",
      "d\thttp://x\tfailed status\t1\tnever\t0",
      "d\thttp://x\tfailed timeout\t1\tnever\t0",
      "d\thttp://x\tNone\t1\tnever\t0",
      "d\thttp://a b\tnone\t1\tnever\t0",
  };
  for (const char* line : damaged) {
    SearchHealth health;
    EXPECT_FALSE(ParseHealthLine(line, &health)) << line;
  }
  SearchHealth health;
  EXPECT_FALSE(ParseHealthLine(std::string("d\0\thttp://x\tnone\t1\tnever\t0", 25), &health));
}

TEST(SearchHealthFile, WrittenWholeInCrLfAndDamagedFilesAreRefusedWhole) {
  const char kPath[] = "search_health_test.txt";
  std::remove(kPath);
  std::vector<SearchHealth> records;
  EXPECT_EQ(LoadSearchHealth(kPath, &records), HealthFileRead::Missing);

  records.resize(2);
  records[0].description = "one";
  records[0].address = "http://h/1";
  records[1].description = "two";
  records[1].address = "http://h/2";
  records[1].outcome = Items(4);
  records[1].lastItemsFound = "01/02/26 03:04:05";
  ASSERT_TRUE(SaveSearchHealth(kPath, records));
  EXPECT_EQ(ReadFileBytes(kPath), "one\thttp://h/1\tnone\t1\tnever\t0\r\ntwo\thttp://h/2\titems 4\t1\t01/02/26 03:04:05\t0\r\n");
  EXPECT_FALSE(Exists(TemporaryHealthPath(kPath)));
  std::vector<SearchHealth> back;
  EXPECT_EQ(LoadSearchHealth(kPath, &back), HealthFileRead::Read);
  EXPECT_EQ(FormatHealthFile(back), FormatHealthFile(records));

  const char* damaged[] = {
      "one\thttp://h/1\tnone\t1\tnever\t0",                                 // cut before its line end
      "one\thttp://h/1\tnone\t1\tnever\t0\r\nforeign text\r\n",             // one line of another file
      "[Settings]\r\nInterval=5\r\n",
  };
  for (const char* bytes : damaged) {
    std::vector<SearchHealth> read(1);
    EXPECT_FALSE(ParseHealthFile(bytes, &read)) << bytes;
  }
  std::vector<SearchHealth> empty(1);
  EXPECT_TRUE(ParseHealthFile("", &empty));
  EXPECT_TRUE(empty.empty());
  std::remove(kPath);
}

TEST(SearchHealthUpdate, StoppedFindingItemsIsWarnedOnceAndClearsSilently) {
  const PassRun run = Passes({Items(2), None(), None(), None(), None(), Items(3)});
  EXPECT_EQ(run.lines, (std::vector<std::string>{
                           "compass\thttp://h/x\titems 2\t1\t12/06/26 10:00:00\t0",
                           "compass\thttp://h/x\tnone\t1\t12/06/26 10:00:00\t0",
                           "compass\thttp://h/x\tnone\t2\t12/06/26 10:00:00\t0",
                           "compass\thttp://h/x\tnone\t3\t12/06/26 10:00:00\t1",
                           "compass\thttp://h/x\tnone\t4\t12/06/26 10:00:00\t1",
                           "compass\thttp://h/x\titems 3\t1\t12/06/26 10:00:05\t0",
                       }));
  EXPECT_EQ(run.messages, (std::vector<std::string>{"", "", "", kStoppedText, "", ""}));

  // A search that never found anything is not said to have stopped.
  EXPECT_EQ(Passes({None(), None(), None(), None()}).messages, (std::vector<std::string>(4, "")));
}

TEST(SearchHealthUpdate, KeepsFailingCountsEveryCauseAsOneKind) {
  const PassRun run = Passes({Failed(FailureCause::Status, 500), Failed(FailureCause::Status, 500),
                          Failed(FailureCause::Connection), Failed(FailureCause::Connection), Items(1),
                          Failed(FailureCause::File), None()});
  EXPECT_EQ(run.lines[2], "compass\thttp://h/x\tfailed connection\t3\tnever\t1");
  EXPECT_EQ(run.lines[4], "compass\thttp://h/x\titems 1\t1\t12/06/26 10:00:04\t0");
  EXPECT_EQ(run.lines[6], "compass\thttp://h/x\tnone\t1\t12/06/26 10:00:04\t0");
  EXPECT_EQ(run.messages,
            (std::vector<std::string>{"", "", "These searches keep failing:\ncompass (connection)", "", "", "", ""}));

  // Stopped finding items, then failing: a new state, a new warning; warned stays 1 between.
  const PassRun both = Passes({Items(1), None(), None(), None(), Failed(FailureCause::Refused),
                           Failed(FailureCause::Refused), Failed(FailureCause::Refused)});
  EXPECT_EQ(both.lines[4], "compass\thttp://h/x\tfailed refused\t1\t12/06/26 10:00:00\t1");
  EXPECT_EQ(both.messages[3], kStoppedText);
  EXPECT_EQ(both.messages[6], "These searches keep failing:\ncompass (refused)");
}

TEST(SearchHealthUpdate, SearchesAreKnownByDescriptionAndAddressInListOrder) {
  std::vector<SearchHealth> previous(4);
  const char* keys[][2] = {{"same", "http://h/a"}, {"other", "http://h/b"}, {"same", "http://h/a"}, {"gone", "http://h/g"}};
  for (int i = 0; i < 4; ++i) {
    previous[i].description = keys[i][0];
    previous[i].address = keys[i][1];
    previous[i].outcome = None();
    previous[i].passesInRow = 10 * (i + 1);
  }
  // Reordered, one address changed, one new: the two identical searches keep their counts in
  // order, the changed and the new one start afresh, the deleted one is gone.
  const HealthUpdate update = UpdateSearchHealth(previous,
                                                 {Result("same", "http://h/a", None()), Result("other", "http://h/c", None()),
                                                  Result("new", "http://h/n", None()), Result("same", "http://h/a", None())},
                                                 "12/06/26 10:00:00");
  ASSERT_EQ(update.records.size(), 4u);
  EXPECT_EQ(update.records[0].passesInRow, 11);
  EXPECT_EQ(update.records[1].passesInRow, 1);
  EXPECT_EQ(update.records[2].passesInRow, 1);
  EXPECT_EQ(update.records[3].passesInRow, 31);
}

TEST(SearchHealthUpdate, TwoHundredSearchesGiveTwoHundredLines) {
  std::vector<SearchPassResult> pass;
  for (int i = 0; i < 200; ++i) {
    const SearchOutcome outcome = i % 3 ? Items(i) : Failed(FailureCause::File);
    pass.push_back(Result(("search " + std::to_string(i)).c_str(), "http://h/x", outcome));
  }
  std::vector<SearchHealth> records;
  for (int round = 0; round < 3; ++round) records = UpdateSearchHealth(records, pass, "12/06/26 10:00:00").records;
  const char kPath[] = "search_health_200.txt";
  ASSERT_TRUE(SaveSearchHealth(kPath, records));
  std::vector<SearchHealth> back;
  ASSERT_EQ(LoadSearchHealth(kPath, &back), HealthFileRead::Read);
  ASSERT_EQ(back.size(), 200u);
  EXPECT_EQ(FormatHealthLine(back[0]), "search 0\thttp://h/x\tfailed file\t3\tnever\t1");
  EXPECT_EQ(FormatHealthLine(back[199]), "search 199\thttp://h/x\titems 199\t3\t12/06/26 10:00:00\t0");
  std::remove(kPath);
}

TEST(SearchHealthWarning, BothPartsInOneTextAndLongListsCut) {
  std::vector<HealthWarningLine> lines;
  for (int i = 0; i < 17; ++i)
    lines.push_back({HealthWarning::KeepsFailing, "f" + std::to_string(i), "status 404"});
  lines.push_back({HealthWarning::StoppedFindingItems, "watches", ""});
  const std::string text = FormatHealthWarningText(lines);
  std::string failing;
  for (int i = 0; i < 15; ++i) failing += "\nf" + std::to_string(i) + " (status 404)";
  EXPECT_EQ(text,
            "These searches have stopped finding items:\nwatches\nThe site may have changed its pages, or the search "
            "address may no longer be right. Open Lotwise Manager to check them.\n\nThese searches keep failing:" +
                failing + "\nand 2 more");
  EXPECT_EQ(FormatHealthWarningText({}), "");
}
