// The manager's portable core: paths from the folder, row texts, editor input checks and the
// shortcut file name, without a window.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/search_list.h"
#include "manager/core/health_rows.h"
#include "manager/core/item_shortcut.h"
#include "manager/core/manager_paths.h"
#include "manager/core/result_rows.h"
#include "manager/core/search_input.h"
#include "manager/core/search_rows.h"
#include "manager/core/watched_address.h"

TEST(ManagerPaths, FolderOrDefaults) {
  ManagerPaths paths;
  EXPECT_TRUE(DerivePaths("C:\\Program Files\\Rure Lotwise", paths));
  EXPECT_STREQ(paths.folder, "C:\\Program Files\\Rure Lotwise");
  EXPECT_STREQ(paths.searchList, "C:\\Program Files\\Rure Lotwise\\lotwise2.ini");
  EXPECT_STREQ(paths.oldSearchList, "C:\\Program Files\\Rure Lotwise\\lotwise.ini");
  EXPECT_STREQ(paths.passLog, "C:\\Program Files\\Rure Lotwise\\lotwise.txt");

  // Unreadable setting, and folders too long for a derived path (242 characters is the most
  // that leaves room for "\lotwise2.ini" and its NUL in 256 bytes).
  const std::string longest(242, 'f');
  const std::string tooLong(243, 'f');
  const std::string huge(300, 'f');
  for (const char* folder : {static_cast<const char*>(nullptr), tooLong.c_str(), huge.c_str()}) {
    SCOPED_TRACE(folder ? std::to_string(std::string(folder).size()) : "null");
    ManagerPaths resolved;
    DerivePaths("C:\\before", resolved);
    EXPECT_FALSE(DerivePaths(folder, resolved));
    EXPECT_STREQ(resolved.searchList, "\\lotwise2.ini");
    EXPECT_STREQ(resolved.passLog, "\\lotwise.txt");
    EXPECT_STREQ(resolved.folder, "");
    EXPECT_STREQ(resolved.oldSearchList, "");
  }
  ASSERT_TRUE(DerivePaths(longest.c_str(), paths));
  EXPECT_EQ(std::string(paths.searchList), longest + "\\lotwise2.ini");
  EXPECT_EQ(std::string(paths.oldSearchList), longest + "\\lotwise.ini");
  // The health file's longer name does not fit beside that folder; the four paths still do.
  for (const char* path : {paths.searchHealth, paths.alertHistory, paths.blockedList}) EXPECT_STREQ(path, "");
  ASSERT_TRUE(DerivePaths("C:\\Lotwise", paths));
  EXPECT_STREQ(paths.searchHealth, "C:\\Lotwise\\searchhealth.txt");
  EXPECT_STREQ(paths.alertHistory, "C:\\Lotwise\\alerthistory.txt");
  EXPECT_STREQ(paths.blockedList, "C:\\Lotwise\\blockedauctions.ini");
  EXPECT_STREQ(paths.blockedTemp, "C:\\Lotwise\\blockedauctions.txt");

  // An empty folder is a folder: the files lie at the root of the current drive.
  EXPECT_TRUE(DerivePaths("", paths));
  EXPECT_STREQ(paths.searchList, "\\lotwise2.ini");
  EXPECT_STREQ(paths.oldSearchList, "\\lotwise.ini");
}

TEST(SearchRows, TheThreeFormsOfARow) {
  struct Case {
    const char* line;
    const char* loaded;
    const char* changed;
  } cases[] = {
      {"\"Nikon F3 body\"\thttp://s.rure.com/x?a=1\t1\t2\t30\t12", "Nikon F3 body\t12.00\t1\t2\t30",
       "Nikon F3 body\t12.00\t1\t2\t30"},
      {"\"Old search\" http://x 0 0 30 25.50", "Old search\t25.50\t0\t0\t30", "Old search\t25.50\t0\t0\t30"},
      // The change reading keeps the numbers as stored; the load reading makes them numbers.
      {"\"Lens\" http://x 007 +1 5 9.999", "Lens\t10.00\t7\t1\t5", "Lens\t10.00\t007\t+1\t5"},
      {"", "(empty line)", "(empty line)"},
      {"  \t ", "(empty line)", "(empty line)"},
      {"no quotes\there", "(unreadable line) no quotes here", "(unreadable line) no quotes here"},
      {"\"cut\" http://x 1 2", "(unreadable line) \"cut\" http://x 1 2", "(unreadable line) \"cut\" http://x 1 2"},
      {"\"bad price\" http://x 1 2 3 abc", "(unreadable line) \"bad price\" http://x 1 2 3 abc",
       "(unreadable line) \"bad price\" http://x 1 2 3 abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(FormatLoadedRow(c.line), c.loaded);
    EXPECT_EQ(FormatChangedRow(c.line), c.changed);
  }

  SearchTexts typed{};
  std::snprintf(typed.description, sizeof typed.description, "%s", "Camera");
  std::snprintf(typed.url, sizeof typed.url, "%s", "http://x");
  std::snprintf(typed.days, sizeof typed.days, "%s", "1");
  std::snprintf(typed.hours, sizeof typed.hours, "%s", "2");
  std::snprintf(typed.minutes, sizeof typed.minutes, "%s", "3");
  std::snprintf(typed.price, sizeof typed.price, "%s", "12");
  EXPECT_EQ(FormatAddedRow(typed), "Camera\t12\t1\t2\t3");

  // A long unreadable line is shortened; the row never holds a tab of its own.
  const std::string row = FormatUnreadableRow((std::string(300, 'x') + "\t").c_str());
  EXPECT_LT(row.size(), 160u);
  EXPECT_EQ(row.find('\t'), std::string::npos);
}

TEST(SearchInput, WhatMayBeStored) {
  const EditorFields good{"Nikon F3 body", "http://s.rure.com/x?a=1&b=2", "1", "2", "30", "12.50"};
  struct Case {
    const char* name;
    EditorFields fields;
    InputProblem problem;
  } cases[] = {
      {"good", good, InputProblem::None},
      {"price without point", {"d", "u", "0", "0", "0", "12"}, InputProblem::None},
      {"127-byte description", {std::string(127, 'd'), "u", "0", "0", "0", "1"}, InputProblem::None},
      {"empty description", {"", "u", "0", "0", "0", "1"}, InputProblem::EmptyField},
      {"empty price", {"d", "u", "0", "0", "0", ""}, InputProblem::EmptyField},
      {"quote", {"the \"best\" lens", "u", "0", "0", "0", "1"}, InputProblem::QuoteInDescription},
      {"128-byte description", {std::string(128, 'd'), "u", "0", "0", "0", "1"}, InputProblem::DescriptionTooLong},
      {"line break", {"d", "u\r\nx", "0", "0", "0", "1"}, InputProblem::LineBreak},
      {"tab in description", {"a\tb", "u", "0", "0", "0", "1"}, InputProblem::ControlCharacterInDescription},
      {"0x01 in description", {"a\x01", "u", "0", "0", "0", "1"}, InputProblem::ControlCharacterInDescription},
      {"0x1F in description", {"\x1f", "u", "0", "0", "0", "1"}, InputProblem::ControlCharacterInDescription},
      {"DEL in description", {"a\x7f", "u", "0", "0", "0", "1"}, InputProblem::ControlCharacterInDescription},
      {"line end in description", {"a\nb", "u", "0", "0", "0", "1"}, InputProblem::ControlCharacterInDescription},
      {"bytes above 0x7F", {"Caf\xe9 \x80\xff", "u", "0", "0", "0", "1"}, InputProblem::None},
      {"blank in url", {"d", "http://x/a b", "0", "0", "0", "1"}, InputProblem::BlankInUrl},
      {"tab in url", {"d", "http://x/a\tb", "0", "0", "0", "1"}, InputProblem::BlankInUrl},
      {"32-digit days", {"d", "u", std::string(32, '1'), "0", "0", "1"}, InputProblem::NumberTooLong},
      {"32-character price", {"d", "u", "0", "0", "0", std::string(32, '1')}, InputProblem::NumberTooLong},
      {"31-digit minutes", {"d", "u", "0", "0", std::string(31, '9'), "1"}, InputProblem::MinutesTooLarge},
      {"31 zeros", {"d", "u", "0", "0", std::string(31, '0'), "1"}, InputProblem::None},
      // Each of the three must be read back as a signed 32-bit integer.
      {"largest days", {"d", "u", "2147483647", "0", "0", "1"}, InputProblem::None},
      {"largest hours", {"d", "u", "0", "2147483647", "0", "1"}, InputProblem::None},
      {"largest minutes", {"d", "u", "0", "0", "2147483647", "1"}, InputProblem::None},
      {"days one more", {"d", "u", "2147483648", "0", "0", "1"}, InputProblem::DaysTooLarge},
      {"hours one more", {"d", "u", "0", "2147483648", "0", "1"}, InputProblem::HoursTooLarge},
      {"minutes one more", {"d", "u", "0", "0", "2147483648", "1"}, InputProblem::MinutesTooLarge},
      {"eleven digits", {"d", "u", "10000000000", "0", "0", "1"}, InputProblem::DaysTooLarge},
      {"largest after zeros", {"d", "u", "0", "0002147483647", "0", "1"}, InputProblem::None},
      {"one more after zeros", {"d", "u", "0", "0002147483648", "0", "1"}, InputProblem::HoursTooLarge},
      {"the first too large is named", {"d", "u", "1", "3000000000", "4000000000", "1"}, InputProblem::HoursTooLarge},
      {"negative hours", {"d", "u", "0", "-1", "0", "1"}, InputProblem::NotAWholeNumber},
      {"negative beyond the range", {"d", "u", "-2147483649", "0", "0", "1"}, InputProblem::NotAWholeNumber},
      {"letters in days", {"d", "u", "2x", "0", "0", "1"}, InputProblem::NotAWholeNumber},
      {"two points", {"d", "u", "0", "0", "0", "1.2.3"}, InputProblem::NotAPrice},
      {"only a point", {"d", "u", "0", "0", "0", "."}, InputProblem::NotAPrice},
      {"exponent", {"d", "u", "0", "0", "0", "1e5"}, InputProblem::NotAPrice},
      {"line of 1023 bytes", {std::string(100, 'd'), std::string(1023 - 2 - 100 - 5 - 4, 'u'), "1", "1", "1", "1"},
       InputProblem::LineTooLong},
      {"line of 1022 bytes", {std::string(100, 'd'), std::string(1022 - 2 - 100 - 5 - 4, 'u'), "1", "1", "1", "1"},
       InputProblem::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const InputProblem problem = CheckSearchInput(c.fields);
    EXPECT_EQ(static_cast<int>(problem), static_cast<int>(c.problem));
    EXPECT_EQ(InputProblemMessage(problem) == nullptr, problem == InputProblem::None);
    if (problem != InputProblem::None) continue;
    // What passes is stored whole and reads back as typed, in both stored forms.
    const SearchTexts texts = ToSearchTexts(c.fields);
    for (const std::string& line : {FormatAddForm(texts), FormatChangeForm(texts)}) {
      EXPECT_LE(line.size(), 1022u);
      SearchTexts back{};
      ASSERT_TRUE(ParseSearchTexts(line.c_str(), back)) << line;
      EXPECT_EQ(back.description, c.fields.description);
      EXPECT_EQ(back.url, c.fields.url);
      EXPECT_EQ(back.days, c.fields.days);
      EXPECT_EQ(back.hours, c.fields.hours);
      EXPECT_EQ(back.minutes, c.fields.minutes);
      EXPECT_EQ(back.price, c.fields.price);
    }
  }
}

TEST(SearchInput, AFieldBeyondTheFormatIsNamed) {
  const std::string tail = " cannot be larger than 2147483647. The search was not saved.";
  EXPECT_STREQ(InputProblemMessage(InputProblem::DaysTooLarge), ("Days" + tail).c_str());
  EXPECT_STREQ(InputProblemMessage(InputProblem::HoursTooLarge), ("Hours" + tail).c_str());
  EXPECT_STREQ(InputProblemMessage(InputProblem::MinutesTooLarge), ("Minutes" + tail).c_str());
}

TEST(WatchedAddress, OnlyHttpInAnyCase) {
  for (const char* watched : {"http://search.rure.com/x?a=1", "HTTP://S.RURE.COM/", "Http://x", "http://"})
    EXPECT_TRUE(IsWatchableAddress(watched)) << watched;
  for (const char* refused : {"https://search.rure.com/x", "ftp://x/y", "search.rure.com/x", "http:/x", "http:x",
                              " http://x", "httpx://x", "file:///C:/page.html", ""})
    EXPECT_FALSE(IsWatchableAddress(refused)) << refused;
}

TEST(ResultRows, RowTextPaddingAndColour) {
  LoggedItem item;
  item.id = "371";
  item.description = "Antique brass ship compass";
  item.bids = 3;
  item.price = 19.5f;
  item.minutes = 42;
  EXPECT_EQ(FormatResultRow(item, "Antique"), "371\tAntique\t3\t19.50\t\t0\t0\t42");
  EXPECT_EQ(ResultColor(item), 65793u);
  item.alerted = true;
  EXPECT_EQ(ResultColor(item), 255u);

  // Padding: 10 pixels a character here; short texts grow to the width, wide ones stay.
  const auto measure = [](const std::string& text) { return static_cast<int>(text.size()) * 10; };
  EXPECT_EQ(PadToWidth("abc", 100, measure), "abc       ");
  EXPECT_EQ(PadToWidth("abc", 95, measure), "abc       ");
  EXPECT_EQ(PadToWidth(std::string(50, 'w'), 100, measure), std::string(50, 'w'));
  EXPECT_EQ(PadToWidth("", 30, measure), "   ");
  // A measure that never grows ends the padding instead of looping.
  EXPECT_EQ(PadToWidth("x", 100, [](const std::string&) { return 5; }), "x ");
}

TEST(ItemShortcut, OnlySafeIdsNameAFile) {
  std::string name;
  ASSERT_TRUE(ShortcutFileName("371", name));
  EXPECT_EQ(name, "371.url");
  ASSERT_TRUE(ShortcutFileName("A-1_b", name));
  EXPECT_EQ(name, "A-1_b.url");
  ASSERT_TRUE(ShortcutFileName(std::string(31, '9'), name));

  for (const std::string& id :
       {std::string(), std::string(32, '9'), std::string(".."), std::string("..\\..\\x"), std::string("../x"),
        std::string("a/b"), std::string("a\\b"), std::string("C:x"), std::string("x.url"), std::string("con"),
        std::string("NUL"), std::string("com1"), std::string("LPT9"), std::string("a b"), std::string("a*"),
        std::string("\xe9t\xe9")}) {
    name = "unchanged";
    EXPECT_FALSE(ShortcutFileName(id, name)) << id;
    EXPECT_EQ(name, "unchanged");
  }
  EXPECT_TRUE(ShortcutFileName("COM10", name));  // not a device name

  EXPECT_EQ(RowItemId("371\tAntique\t3"), "371");
  EXPECT_EQ(RowItemId(""), "");
  EXPECT_EQ(RowItemId(std::string(100, '7') + "\tx").size(), 63u);
  EXPECT_EQ(ShortcutFileText("http://h/p?i=1"), "[InternetShortcut]\r\nURL=http://h/p?i=1\r\n");
}

TEST(HealthRows, WarnedSearchesFirstThenTheListInOrder) {
  std::vector<SearchHealth> records(3);
  records[0] = {"watch", "http://h/w", {}, 2, "12/06/26 10:00:00", false};
  records[1] = {"compass", "http://h/c", {}, 3, "12/05/26 09:00:00", true};
  records[2] = {"camera", "http://h/f", {}, 4, kHealthNeverFound, true};
  records[2].outcome.kind = OutcomeKind::Failed;
  records[2].outcome.cause = FailureCause::Status;
  records[2].outcome.status = 404;
  records[0].outcome.kind = OutcomeKind::Items;
  records[0].outcome.items = 1;
  const std::string longName(60, 'n');
  const std::vector<SearchKey> list = {
      {"watch", "http://h/w"}, {"compass", "http://h/c"}, {longName, "http://h/new"}, {"camera", "http://h/f"}};
  const std::vector<HealthRow> rows = FormatHealthRows(list, records);
  std::vector<std::string> texts;
  for (const HealthRow& row : rows) texts.push_back(row.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "compass\tStopped finding items\tNo items\t3\t12/05/26 09:00:00",
                       "camera\tKeeps failing\tFailed: status 404\t4\tNever",
                       "watch\t\t1 item\t2\t12/06/26 10:00:00",
                       std::string(37, 'n') + "...\tNot searched yet",
                   }));
  EXPECT_EQ(FormatHealthNotice(rows), "2 searches need checking: click here or choose Search health\x85 in the window menu.");
  EXPECT_EQ(FormatHealthNotice({rows[0], rows[2]}),
            "The search \"compass\" needs checking: click here or choose Search health\x85 in the window menu.");
  EXPECT_EQ(FormatHealthNotice({rows[2], rows[3]}), "");
}

// The file keeps only whether a search is warned, not for which state: the Health column
// follows the current run, pass by pass, through the poller's own bookkeeping.
TEST(HealthRows, TheHealthColumnFollowsTheCurrentRun) {
  // Each pass finds items (I), no items (0) or fails (F). The column is then blank (-), or the
  // search stopped finding items (S), needs checking (N) or keeps failing (K).
  const std::map<char, SearchOutcome> outcomes = {
      {'I', PageReadOutcome(2)}, {'0', PageReadOutcome(0)}, {'F', FailedOutcome(FailureCause::Status, 500)}};
  const std::map<std::string, char> columns = {
      {"", '-'}, {"Stopped finding items", 'S'}, {"Needs checking", 'N'}, {"Keeps failing", 'K'}};
  const struct { const char* passes; const char* column; } sequences[] = {
      {"I000FFFFI", "---SNNKK-"},  // stopped finding items, then failing
      {"FFF0000I", "--KNNNN-"},    // failing, then nothing found by a search that never found items
      {"IFFF000F", "---KNNSN"},    // failing, then nothing found by a search that found items before
  };
  const SearchKey key{"compass", "http://h/c"};
  for (const auto& sequence : sequences) {
    std::vector<SearchHealth> records;
    std::string column, lines;
    for (int pass = 0; sequence.passes[pass] != '\0'; ++pass) {
      const std::string time = "12/06/26 10:00:0" + std::to_string(pass);
      records = UpdateSearchHealth(records, {{key, outcomes.at(sequence.passes[pass])}}, time).records;
      const std::vector<HealthRow> rows = FormatHealthRows({key}, records);
      ASSERT_EQ(rows.size(), 1u);
      const std::string& text = rows[0].text;
      const std::size_t start = text.find('\t') + 1;
      const auto found = columns.find(text.substr(start, text.find('\t', start) - start));
      column += found == columns.end() ? '?' : found->second;
      lines += FormatHealthLine(records.at(0)) + "\n";
    }
    EXPECT_EQ(column, sequence.column) << sequence.passes << "\n" << lines;
  }
}
