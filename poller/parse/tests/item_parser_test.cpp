// The locator and the item parser: item numbers, the field order, the layouts and the limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "poller/parse/result_page.h"
#include "poller/parse/tests/parse_test_util.h"

namespace {

using Items = std::vector<std::string>;

const std::string kRawLink = "http://cgi.rure.com/aw-cgi/rUreISAPI.dll?ViewItem&item=";
const std::string kEscapedLink = "http://cgi.rure.com/ws/rUreISAPI.dll?ViewItem&amp;item=";

std::string Line(const std::string& id, const std::string& description, const std::string& price, int bids,
                 int days, int hours, int minutes) {
  AuctionItem item{};
  std::snprintf(item.id, sizeof item.id, "%s", id.c_str());
  std::snprintf(item.description, sizeof item.description, "%s", description.c_str());
  std::snprintf(item.price, sizeof item.price, "%s", price.c_str());
  item.bids = bids;
  item.days = days;
  item.hours = hours;
  item.minutes = minutes;
  return FormatItem(item);
}

// The cells of one result row after its link: title, price, bid column, time left.
std::string Cells(const std::string& title, const std::string& price, const std::string& bids,
                  const std::string& left) {
  return "<font size=3>" + title + "</font></a></td>\n<td align=right><b>" + price + "</b></td>\n<td>" + bids +
         "</td>\n<td align=right>" + left + "</td></tr>\n";
}

std::string RawRow(const std::string& number, const std::string& title, const std::string& price,
                   const std::string& bids, const std::string& left) {
  return "<tr><td><a href=\"" + kRawLink + number + "\">" + Cells(title, price, bids, left);
}

std::string EscapedRow(const std::string& number, const std::string& title, const std::string& price,
                       const std::string& bids, const std::string& left) {
  return "<tr><td><a href=\"" + kEscapedLink + number + "&amp;rd=1\" class=\"vip\">" +
         Cells(title, price, bids, left);
}

TEST(ItemParser, TakesTheItemNumberFromEitherLinkForm) {
  struct Case {
    const char* name;
    std::string link;
    const char* id;
  } cases[] = {
      {"escaped", "<a href=\"" + kEscapedLink + "123&amp;rd=1\">", "123"},
      {"raw", "<a href=\"" + kRawLink + "456\">", "456"},
      {"both forms on the line: escaped",
       "<a href=\"http://x/rUreISAPI.dll?ViewItem&item=9&ref=ViewItem&amp;item=77\">", "77"},
      {"the nearer of quote and '&'", "<a href=\"" + kRawLink + "31\" title=\"a&b\">", "31"},
      {"neither quote nor '&'", "<a href=" + kRawLink + "987>", "987"},
      {"neither, then a blank", "<a href=" + kRawLink + "988 target=_top>", "988"},
      {"escaped link without a number, then one with",
       "<a href=\"http://x/ws/rUreISAPI.dll?ViewItem&amp;id=5\"><img src=p.gif></a><a href=\"" + kEscapedLink +
           "12&amp;rd=1\">",
       "12"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParsePage("<td>" + c.link + Cells("Brass compass", "$5.00", "2", "1h 05m")),
              Items{Line(c.id, "Brass compass", "5.00", 2, 0, 1, 5)})
        << c.name;
  }
}

TEST(ItemParser, TakesTitlePriceBidsAndTimeLeftByTheirShapeAndOrder) {
  struct Case {
    const char* name;
    std::string cells;
    std::string item;
  } cases[] = {
      {"all four fields", Cells("Brass compass", "$5.00", "2", "2d 03h 15m"),
       Line("7", "Brass compass", "5.00", 2, 2, 3, 15)},
      {"a 3-character title is passed over", Cells("NEW</font> <font>Pocket knife", "$5.00", "2", "45m"),
       Line("7", "Pocket knife", "5.00", 2, 0, 0, 45)},
      {"&amp; folded, also when doubled", Cells("Tom &amp;amp; Jerry", "$5.00", "2", "45m"),
       Line("7", "Tom & Jerry", "5.00", 2, 0, 0, 45)},
      {"thousands separator and currency sign", Cells("Brass compass", "$1,234.56", "2", "5h 12m"),
       Line("7", "Brass compass", "1234.56", 2, 0, 5, 12)},
      {"texts that are no price are passed over",
       Cells("Brass compass</font><i>Serviced, new seals</i><i>US $12.00</i><i>$12", "$11.00", "2", "45m"),
       Line("7", "Brass compass", "11.00", 2, 0, 0, 45)},
      {"a dash for bids, then the time left", Cells("Brass compass", "$5.00", "-</td><td>Ends Friday", "4h 30m"),
       Line("7", "Brass compass", "5.00", 0, 0, 4, 30)},
      {"no bid column", Cells("Brass compass", "$5.00", "<img src=bin.gif alt=\"Buy It Now\">", "3h 10m"),
       Line("7", "Brass compass", "5.00", 0, 0, 3, 10)},
      {"text without digits in the bid column", Cells("Brass compass", "$5.00", "Buy It Now</td><td>4", "10m"),
       Line("7", "Brass compass", "5.00", 4, 0, 0, 10)},
      {"under a minute", Cells("Brass compass", "$5.00", "3", "<1m"), Line("7", "Brass compass", "5.00", 3, 0, 0, 1)},
      {"entities in the title", Cells("Dad&#39;s &quot;Ace&quot;&#8212;pen<wbr>s", "$5.00", "3", "1m"),
       Line("7", "Dad's \"Ace\"pens", "5.00", 3, 0, 0, 1)},
      {"a huge bid count is clamped", Cells("Brass compass", "$5.00", "99999999999", "1m"),
       Line("7", "Brass compass", "5.00", INT_MAX, 0, 0, 1)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParsePage("<td><a href=\"" + kRawLink + "7\">" + c.cells), Items{c.item}) << c.name;
  }
}

TEST(ItemParser, GivesThePageItemsOneACallAndThenNone) {
  WriteFileBytes("page.html", "<html><script>function doFormSubmit(f) { f.submit(); }</script>\n" +
                               RawRow("101", "First item", "$1.00", "1", "1m") +
                               RawRow("102", "Second item", "$2.00", "2", "2m") + "</table></html>\n");
  ResultPage page;
  page.stream = std::fopen("page.html", "r");
  NormaliseResultPage(page);
  LocateResultList(page);
  AuctionItem item{};
  Items found;
  int emptyCalls = 0;
  while (!PageEnded(page)) {
    item.id[0] = '\0';
    ParseNextItem(page, item);
    if (item.id[0]) {
      found.push_back(FormatItem(item));
    } else {
      ++emptyCalls;
      // No further item: the other fields still show the last one.
      EXPECT_STREQ(item.description, "Second item");
      EXPECT_STREQ(item.price, "2.00");
    }
  }
  ClosePage(page);
  EXPECT_EQ(found, (Items{Line("101", "First item", "1.00", 1, 0, 0, 1), Line("102", "Second item", "2.00", 2, 0, 0, 2)}));
  EXPECT_EQ(emptyCalls, 1);
}

TEST(ItemParser, PagesWithoutItemsGiveNone) {
  const std::string pages[] = {
      "",
      "\n\n\n",
      "<html><body>No list here, no links.</body></html>\n",
      "<!-- rUreCacheStart -->\n<p><b>0</b> items found</p>\n<!-- rUreCacheEnd -->\n",
      "<a href=\"" + kRawLink + "5\">Link without any fields after it</a>",
      "<a href=\"" + kEscapedLink + "5\"><img src=x.gif></a><a href=y>Save this search</a>" +
          Cells("Brass compass", "$5.00", "2", "45m"),
  };
  for (const std::string& page : pages) EXPECT_EQ(ParsePage(page), Items{}) << page;
}

TEST(ItemParser, SkipsAFeaturedLinkBetweenTheItemLinkAndTheTitle) {
  const std::string page = "<tr><td><a href=\"" + kRawLink + "555\"><img src=p.gif></a></td><td>" +
                           "<a href=\"http://pages.rure.com/aw-cgi/rUreISAPI.dll?Featured&category=3\">Featured</a>\n" +
                           "<a href=\"" + kRawLink + "556\">" + Cells("Elgin pocket watch", "$45.00", "7", "2d 03h 15m");
  // The number staged from the first link stays.
  EXPECT_EQ(ParsePage(page), Items{Line("555", "Elgin pocket watch", "45.00", 7, 2, 3, 15)});
}

TEST(ItemParser, StartsInTheLocatorsLineAndGoesOnWithTheRestOfTheLine) {
  // The page as one line that the parser reads unnormalised: the locator stops at it, and
  // both items come from it.
  const std::string page = "<a href=\"" + kRawLink + "11\">First title</a><b>$9.99</b><b>3</b><b>2h 10m</b>" +
                           "<a href=\"" + kRawLink + "22\">Second title</a><b>$1.50</b><b>-</b><b>5m</b><br>\n";
  EXPECT_EQ(ParsePage(page, PageRunMode::Raw),
            (Items{Line("11", "First title", "9.99", 3, 0, 2, 10), Line("22", "Second title", "1.50", 0, 0, 0, 5)}));
}

TEST(ItemParser, AnEndMarkerBeforeTheTitleEndsTheItemButNotThePage) {
  const std::string raw = "<a href=\"" + kRawLink + "1000\"><img src=banner.gif></a>\n<!-- rUreCacheEnd -->\n" +
                          RawRow("1001", "After the list", "$3.00", "1", "9m");
  EXPECT_EQ(ParsePage(raw), Items{Line("1001", "After the list", "3.00", 1, 0, 0, 9)});
  const std::string escaped = "<a href=\"" + kEscapedLink + "2000&amp;rd=1\"><img src=more.gif></a>\n" +
                              "<a href=\"http://my.rure.com/ws/rUreISAPI.dll?SaveSearch\">Save this search</a>\n" +
                              EscapedRow("2001", "After the list", "$3.00", "1", "9m");
  EXPECT_EQ(ParsePage(escaped), Items{Line("2001", "After the list", "3.00", 1, 0, 0, 9)});
  // Each layout has its own end marker.
  const std::string otherMarker = "<td><a href=\"" + kRawLink + "3000\">\n<a href=y>Save this search</a>" +
                                  Cells("Raw item", "$3.00", "1", "9m");
  EXPECT_EQ(ParsePage(otherMarker), Items{Line("3000", "Save this search", "3.00", 1, 0, 0, 9)});
}

TEST(ItemParser, MovesPastALineWithBothLinkAndEndMarker) {
  // Lines as the normaliser leaves them, read as they stand. A link after the end marker is
  // the next call's; one before it goes with the list that ended.
  const std::string fields = "\n>Following title</a\n>$2.00</b\n>4</b\n>6m</b\n>";
  struct Case {
    const char* name;
    std::string line;
    Items items;
  } cases[] = {
      {"raw, link after", "><!-- rUreCacheEnd --><a href=\"" + kRawLink + "41\"",
       {Line("41", "Following title", "2.00", 4, 0, 0, 6)}},
      {"raw, link before", "><a href=\"" + kRawLink + "40\"><!-- rUreCacheEnd --", {}},
      {"escaped, link after", ">Save this search</a><a href=\"" + kEscapedLink + "43&amp;rd=1\"",
       {Line("43", "Following title", "2.00", 4, 0, 0, 6)}},
      {"escaped, link before", "><a href=\"" + kEscapedLink + "42&amp;rd=1\">Save this search", {}},
      {"twice", "><!-- rUreCacheEnd --<!-- rUreCacheEnd --><a href=\"" + kRawLink + "44\"",
       {Line("44", "Following title", "2.00", 4, 0, 0, 6)}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParsePage(c.line + fields, PageRunMode::Raw), c.items) << c.name;
}

TEST(ItemParser, AnItemShortOfFieldsTakesTheRestFromTheNextItem) {
  const std::string page = "<td><a href=\"" + kRawLink + "71\"><font>First title</font></a><b>$4.00</b></tr>\n" +
                           RawRow("72", "Second title", "$3.00", "4", "5m") +
                           RawRow("73", "Third title", "$2.00", "1", "6m");
  EXPECT_EQ(ParsePage(page), (Items{Line("71", "First title", "4.00", 4, 0, 0, 5),
                                    Line("73", "Third title", "2.00", 1, 0, 0, 6)}));
}

TEST(ItemParser, ALinkThatIsNeverWalkedGivesTheNumberBlank) {
  // The page's first line holds the link but no '>' before a '<': the number is never read.
  const std::string page = "<a href=\"" + kRawLink + "81\">" + Cells("Unread number", "$2.00", "1", "3m");
  EXPECT_EQ(ParsePage(page), Items{Line(" ", "Unread number", "2.00", 1, 0, 0, 3)});
}

TEST(ItemParser, CutsLongTitlesAndSkipsItemsWithoutAUsableNumber) {
  const std::string number63(63, '4');
  const std::string number64(64, '5');
  const std::string title(300, 't');
  const std::string longPrice = "$" + std::string(127, '1');
  const std::string tooLongPrice = "$" + std::string(128, '2');
  const std::string page = RawRow(number63, "Longest number", "$1.00", "1", "1m") +
                           RawRow(number64, "Number too long", "$1.00", "1", "1m") +
                           RawRow("", "Empty number", "$1.00", "1", "1m") +
                           RawRow("91", title, "$1.00", "1", "1m") +
                           RawRow("92", "Long price", longPrice, "1", "1m") +
                           RawRow("93", "Price too long", tooLongPrice + "</b><b>$4.00", "1", "1m") +
                           RawRow(std::string(1500, '6'), "Number over a line", "$1.00", "1", "1m") +
                           RawRow("94", "Last item", "$1.00", "1", "1m");
  EXPECT_EQ(ParsePage(page), (Items{Line(number63, "Longest number", "1.00", 1, 0, 0, 1),
                                    Line("91", title.substr(0, 127), "1.00", 1, 0, 0, 1),
                                    Line("92", "Long price", std::string(127, '1'), 1, 0, 0, 1),
                                    Line("93", "Price too long", "4.00", 1, 0, 0, 1),
                                    Line("94", "Last item", "1.00", 1, 0, 0, 1)}));
}

TEST(ItemParser, UnderAMinuteStillReadsOneMinuteWhenTheLineIsFull) {
  // A read of 1022 characters with "<1m" in it leaves no room for "0h 1m".
  const std::string head = "><a href=\"" + kRawLink + "95\"\n>Full line item</a\n>$1.00</b\n";
  std::string full = "><1m</b";
  full += std::string(1022 - full.size(), 'p');
  std::string fits = "><1m</b";
  fits += std::string(1020 - fits.size(), 'p');
  EXPECT_EQ(ParsePage(head + full + "\n>", PageRunMode::Raw), Items{Line("95", "Full line item", "1.00", 0, 0, 0, 1)});
  EXPECT_EQ(ParsePage(head + fits + "\n>", PageRunMode::Raw), Items{Line("95", "Full line item", "1.00", 0, 0, 0, 1)});
  // Two in one line: the first gets the room there is.
  std::string two = "><1m</b><1m</b";
  two += std::string(1018 - two.size(), 'p');
  EXPECT_EQ(ParsePage(head + two + "\n>", PageRunMode::Raw), Items{Line("95", "Full line item", "1.00", 0, 0, 0, 1)});
}

TEST(AcceptPrice, KeepsDigitsAndPointsAfterOneCurrencySign) {
  struct Case {
    const char* run;
    const char* price;  // nullptr: rejected
  } cases[] = {
      {"$1,234.56", "1234.56"}, {"$9.99", "9.99"},     {"12.50", "12.50"},   {" $ 1 2 . 0 0 ", "12.00"},
      {"\xA3" "12.00", "12.00"}, {"$\xA0" "7.99", "7.99"}, {"$...", "..."},    {"$.99", ".99"},
      {"99", nullptr},          {"$12", nullptr},      {"US $12.00", nullptr}, {"GBP 12.50", nullptr},
      {"EUR12.00", nullptr},    {"", nullptr},         {"$", nullptr},       {"12.50 each", nullptr},
      {"-", nullptr},           {"1.5m", nullptr},     {"...", nullptr},     {"a1.00", "1.00"},
  };
  for (const Case& c : cases) {
    char price[kPageMaxStagedText + 1] = "untouched";
    const bool accepted = AcceptPrice(c.run, price, sizeof price);
    EXPECT_EQ(accepted, c.price != nullptr) << c.run;
    EXPECT_STREQ(price, c.price ? c.price : "untouched") << c.run;
  }
  char small[4];
  EXPECT_TRUE(AcceptPrice("$1.5", small, sizeof small));
  EXPECT_FALSE(AcceptPrice("$1.50", small, sizeof small));  // too long to hold: refused, not cut
}

TEST(ParseTimeLeft, ReadsDaysHoursAndMinutesAsTheSiteWritesThem) {
  struct Case {
    const char* text;
    int days, hours, minutes;
  } cases[] = {
      {"2d 03h 15m", 2, 3, 15},
      {"1d 5h", 1, 5, 0},
      {"5h 12m", 0, 5, 12},
      {"45m", 0, 0, 45},
      {"0h 1m", 0, 0, 1},                     // "<1m" after the parser's rewrite
      {" 1m", 0, 0, 1},                       // ... where the line had no room for it
      {"Ends in 5m", 0, 0, 0},                // holds a 'd' but starts with no number
      {"2h\xA0" "10m", 0, 2, 10},             // a non-breaking space is a blank
      {"1d\xA0" "2h\xA0" "3m", 1, 2, 3},
      {"3d15m", 3, 15, 0},                    // 15 read as hours, then 'm' does not match 'h'
      {"5h", 0, 5, 0},
      {"  7m", 0, 0, 7},
      {"99999999999d 0h 0m", INT_MAX, 0, 0},  // clamped, not overflowed
      {"-5m", 0, 0, -5},
      {"m", 0, 0, 0},
      {"", 0, 0, 0},
  };
  for (const Case& c : cases) {
    const TimeLeft left = ParseTimeLeft(c.text);
    EXPECT_EQ(left.days, c.days) << c.text;
    EXPECT_EQ(left.hours, c.hours) << c.text;
    EXPECT_EQ(left.minutes, c.minutes) << c.text;
  }
}

TEST(ItemMinutes, CombinesTheTimeLeftWithinTheIntRange) {
  struct Case {
    int days, hours, minutes, total;
  } cases[] = {
      {0, 0, 45, 45}, {0, 5, 12, 312}, {2, 3, 15, 3075}, {0, 0, 0, 0},
      {INT_MAX, 0, 0, INT_MAX}, {0, INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, 0, 0, INT_MIN}, {0, 0, -5, -5},
  };
  for (const Case& c : cases) {
    AuctionItem item{};
    item.days = c.days;
    item.hours = c.hours;
    item.minutes = c.minutes;
    EXPECT_EQ(ItemMinutes(item), c.total) << c.days << " " << c.hours << " " << c.minutes;
  }
}

}  // namespace
