// The bargain history's rows without a window: their order, columns, cut texts and the filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manager/core/history_rows.h"

namespace {

// Every byte 5 pixels wide, 'W' 9 and the ellipsis 6.
CharWidths Widths() {
  CharWidths widths{};
  widths.fill(5);
  widths['W'] = 9;
  widths[static_cast<unsigned char>(kHistoryEllipsis)] = 6;
  return widths;
}

AlertHistoryEntry Entry(const char* raised, const char* search, const char* id, const char* description,
                        AlertAnswer answer) {
  return {raised, search, id, description, "19.50", 2, 5, 17, 25, answer};
}

// Wide enough for every text below but the long description (column 3, 100 pixels).
constexpr std::array<int, kHistoryColumns> kColumns = {200, 200, 200, 100, 200, 200, 200, 200};

}  // namespace

TEST(HistoryRows, ATextIsCutWithAnEllipsisToItsWidth) {
  const CharWidths widths = Widths();
  const std::string e(1, kHistoryEllipsis);
  struct Case {
    std::string text;
    int width;
    std::string shown;
  } cases[] = {
      {"abcd", 20, "abcd"},           // exactly as wide
      {"abcd", 19, "ab" + e},         // 20 is too wide; 10 + 6 fits, 15 + 6 does not
      {"abcdefgh", 22, "abc" + e},    // 15 + 6 = 21
      {"WWWW", 30, "WW" + e},         // 18 + 6 = 24; a third W would make 33
      {"abcd", 6, e},                 // room for the ellipsis alone
      {"abcd", 3, e},                 // not even that: the ellipsis still tells the cut
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " in " + std::to_string(c.width));
    EXPECT_EQ(CutToWidth(c.text, c.width, widths), c.shown);
  }
}

TEST(HistoryRows, TimeLeftAnswerAndTheBlocksEnd) {
  EXPECT_EQ(FormatTimeLeft(2, 5, 17), "2d 5h 17m");
  EXPECT_EQ(FormatTimeLeft(2, 0, 0), "2d 0h 0m");
  EXPECT_EQ(FormatTimeLeft(0, 5, 0), "5h 0m");
  EXPECT_EQ(FormatTimeLeft(0, 0, 42), "42m");
  EXPECT_EQ(FormatTimeLeft(0, 0, 0), "0m");

  EXPECT_STREQ(AnswerText(AlertAnswer::Now), "View Now");
  EXPECT_STREQ(AnswerText(AlertAnswer::Later), "View Later");
  EXPECT_STREQ(AnswerText(AlertAnswer::Never), "View Never");
  EXPECT_STREQ(AnswerText(AlertAnswer::None), "Pop-ups off");
  EXPECT_STREQ(AnswerText(AlertAnswer::Unanswered), "Unanswered");

  std::tm end{};
  end.tm_year = 104;  // 2004
  end.tm_mon = 11;
  end.tm_mday = 16;
  EXPECT_EQ(FormatBlockedUntil(end), "Blocked until 12/16/04");
  end.tm_year = 100;
  end.tm_mon = 0;
  end.tm_mday = 2;
  EXPECT_EQ(FormatBlockedUntil(end), "Blocked until 01/02/00");
}

TEST(HistoryRows, TheNewestAlertComesFirstWhateverItsDate) {
  // In file order: the last line is the newest, though its date sorts first as text.
  const HistoryTable table({Entry("12/30/25 23:59:00", "brass compass", "371", "Brass ship compass", AlertAnswer::Now),
                            Entry("12/31/25 10:00:00", "slide rule", "4455", "Boxwood slide rule", AlertAnswer::Never),
                            Entry("01/01/26 08:15:00", "globe", "9", "Desk globe", AlertAnswer::None)},
                           kColumns, Widths());
  ASSERT_EQ(table.Size(), 3u);
  EXPECT_EQ(table.Text(0), "01/01/26 08:15:00\tglobe\t9\tDesk globe\t19.50\t2d 5h 17m\t25.00\tPop-ups off");
  EXPECT_EQ(table.Text(1), "12/31/25 10:00:00\tslide rule\t4455\tBoxwood slide rule\t19.50\t2d 5h 17m\t25.00\tView Never");
  EXPECT_EQ(table.Text(2),
            "12/30/25 23:59:00\tbrass compass\t371\tBrass ship compass\t19.50\t2d 5h 17m\t25.00\tView Now");
  EXPECT_EQ(table.Entry(1).id, "4455");
  EXPECT_EQ(table.Entry(1).answer, AlertAnswer::Never);
}

TEST(HistoryRows, EachColumnIsCutToItsOwnWidth) {
  const std::string longDescription = "Antique brass ship compass in its fitted box, with the maker's label";
  const HistoryTable table({Entry("12/30/25 23:59:00", "brass compass", "371", longDescription.c_str(),
                                  AlertAnswer::Later)},
                           kColumns, Widths());
  // 100 pixels less the gap, of which the ellipsis takes 6: bytes of 5 in the rest.
  const std::size_t fits = (100 - kHistoryColumnGap - 6) / 5;
  EXPECT_EQ(table.Text(0), "12/30/25 23:59:00\tbrass compass\t371\t" + longDescription.substr(0, fits) +
                               kHistoryEllipsis + "\t19.50\t2d 5h 17m\t25.00\tView Later");
}

TEST(HistoryRows, TheFilterFindsItsTextInTheSearchOrTheDescriptionWhateverTheCase) {
  const HistoryTable table({Entry("01/01/26 08:00:00", "Brass compass", "1", "Ship compass", AlertAnswer::Now),
                            Entry("01/01/26 08:01:00", "slide rule", "2", "Boxwood SLIDE RULE", AlertAnswer::Now),
                            Entry("01/01/26 08:02:00", "Globes", "3", "Terrestrial globe, \xC9" "cole normale",
                                  AlertAnswer::Never),
                            Entry("01/01/26 08:03:00", "pocket watch", "4", "Silver hunter", AlertAnswer::Later)},
                           kColumns, Widths());
  using Rows = std::vector<std::size_t>;
  EXPECT_EQ(table.Filter(""), (Rows{0, 1, 2, 3}));
  EXPECT_EQ(table.Filter("COMPASS"), (Rows{3}));         // in the search and the description: one row
  EXPECT_EQ(table.Filter("slide rule"), (Rows{2}));
  EXPECT_EQ(table.Filter("hunter"), (Rows{0}));          // the description alone
  EXPECT_EQ(table.Filter("o"), (Rows{0, 1, 2, 3}));
  EXPECT_EQ(table.Filter("\xE9" "cole"), (Rows{1}));      // accented letters of the code page too
  EXPECT_EQ(table.Filter("watch silver"), Rows{}) << "no match across the two texts";
  EXPECT_EQ(table.Filter("371"), Rows{}) << "the item's number is not searched";
  EXPECT_EQ(table.Filter("q"), Rows{});
}

TEST(HistoryRows, CaseFoldingOfTheAnsiCodePage) {
  EXPECT_EQ(FoldCase("AZaz09 [@`{"), "azaz09 [@`{");
  EXPECT_EQ(FoldCase("\xC0\xC9\xD6\xD7\xD8\xDE\xDF"), "\xE0\xE9\xF6\xD7\xF8\xFE\xDF");  // the sign and sharp s stay
  EXPECT_EQ(FoldCase("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");
}
