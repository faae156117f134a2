// The bargain history's rows without a window: their order, columns, cut texts and the filter.
#include <gtest/gtest.h>

#include <string>
#include <utility>
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
  const std::string e(1, kHistoryEllipsis);
  const struct { std::string text; int width; std::string shown; } cases[] = {
      {"abcd", 20, "abcd"}, {"abcd", 19, "ab" + e},      // exactly as wide; then 10 + 6 fits, 15 + 6 does not
      {"abcdefgh", 22, "abc" + e}, {"WWWW", 30, "WW" + e},  // 15 + 6 = 21; 18 + 6 = 24, a third W makes 33
      {"abcd", 6, e}, {"abcd", 3, e}, {"", 0, ""},      // room for the ellipsis alone, then not even that
  };
  for (const auto& c : cases) EXPECT_EQ(CutToWidth(c.text, c.width, Widths()), c.shown) << c.text << " in " << c.width;
}

TEST(HistoryRows, TimeLeftAnswerAndTheBlocksEnd) {
  const struct { int days, hours, minutes; const char* text; } times[] = {
      {2, 5, 17, "2d 5h 17m"}, {2, 0, 0, "2d 0h 0m"}, {0, 5, 0, "5h 0m"}, {0, 0, 42, "42m"}, {0, 0, 0, "0m"}};
  for (const auto& t : times) EXPECT_EQ(FormatTimeLeft(t.days, t.hours, t.minutes), t.text);

  const std::pair<AlertAnswer, const char*> answers[] = {
      {AlertAnswer::Now, "View Now"}, {AlertAnswer::Later, "View Later"}, {AlertAnswer::Never, "View Never"},
      {AlertAnswer::None, "Pop-ups off"}, {AlertAnswer::Unanswered, "Unanswered"}};
  for (const auto& [answer, text] : answers) EXPECT_STREQ(AnswerText(answer), text);

  std::tm end{};
  end.tm_year = 104; end.tm_mon = 11; end.tm_mday = 16;
  EXPECT_EQ(FormatBlockedUntil(end), "Blocked until 12/16/04");
  end.tm_year = 100; end.tm_mon = 0; end.tm_mday = 2;
  EXPECT_EQ(FormatBlockedUntil(end), "Blocked until 01/02/00");
}

TEST(HistoryRows, TheNewestAlertComesFirstWhateverItsDateEachColumnCutToItsWidth) {
  // In file order: the last line is the newest, though its date sorts first as text.
  const std::string longDescription = "Antique brass ship compass in its fitted box, with the maker's label";
  const HistoryTable table(
      {Entry("12/30/25 23:58:00", "brass compass", "371", longDescription.c_str(), AlertAnswer::Later),
       Entry("12/30/25 23:59:00", "brass compass", "371", "Brass ship compass", AlertAnswer::Now),
       Entry("12/31/25 10:00:00", "slide rule", "4455", "Boxwood slide rule", AlertAnswer::Never),
       Entry("01/01/26 08:15:00", "globe", "9", "Desk globe", AlertAnswer::None)},
      kColumns, Widths());
  ASSERT_EQ(table.Size(), 4u);
  EXPECT_EQ(table.Text(0), "01/01/26 08:15:00\tglobe\t9\tDesk globe\t19.50\t2d 5h 17m\t25.00\tPop-ups off");
  EXPECT_EQ(table.Text(1), "12/31/25 10:00:00\tslide rule\t4455\tBoxwood slide rule\t19.50\t2d 5h 17m\t25.00\tView Never");
  EXPECT_EQ(table.Text(2),
            "12/30/25 23:59:00\tbrass compass\t371\tBrass ship compass\t19.50\t2d 5h 17m\t25.00\tView Now");
  // 100 pixels less the gap, of which the ellipsis takes 6: bytes of 5 in the rest.
  const std::size_t fits = (100 - kHistoryColumnGap - 6) / 5;
  EXPECT_EQ(table.Text(3), "12/30/25 23:58:00\tbrass compass\t371\t" + longDescription.substr(0, fits) +
                               kHistoryEllipsis + "\t19.50\t2d 5h 17m\t25.00\tView Later");
  EXPECT_EQ(table.Entry(1).id, "4455");
  EXPECT_EQ(table.Entry(1).answer, AlertAnswer::Never);
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
