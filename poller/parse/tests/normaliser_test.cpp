// The normaliser: entity clean-up, the two passes over files, and the files it leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "poller/parse/result_page.h"
#include "poller/parse/tests/parse_test_util.h"

namespace {

std::string Cleaned(std::string line) {
  line.resize(kPageWorkingLineSize - 1);  // NUL-padded, as a line buffer is
  CleanEntities(line.data());
  return line.c_str();
}

TEST(CleanEntities, AppliesItsFourRulesInOrder) {
  struct Case {
    const char* line;
    const char* cleaned;
  } cases[] = {
      {"it&#39;s", "it's"},
      {"&quot;new&quot;", "\"new\""},
      {"a&#8364;b", "ab"},
      {"Tom &#x; and Jerry", "Tom  and Jerry"},
      {"A&#B", "A&#B"},                  // no ';' after the "&#": left alone
      {"a;b&#12", "a;b&#12"},            // a ';' before it does not count
      {"<w<wbr>br>", ""},                // a removal brings a second "<wbr>" together
      {"x<wbr><wbr>y", "xy"},
      {"<WBR>", "<WBR>"},                // lower case only
      {"&QUOT;", "&QUOT;"},
      {"&amp; &lt; &nbsp;", "&amp; &lt; &nbsp;"},  // named entities stay
      {"&&#1;#5;x", "x"},                // a removal brings a new "&#" together
      {"&#a&#b;c;", "c;"},               // from the first "&#" to the first ';' after it
      {"&#3&#39;9;x", "x"},              // "&#39;" is replaced before numeric entities go
      {"&qu&#39;ot;", "&qu'ot;"},
      {"x&#60;wbr>y", "xwbr>y"},         // numeric entities are removed, not decoded
      {"&#;", ""},
      {"&#", "&#"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Cleaned(c.line), c.cleaned) << c.line;
}

TEST(CleanEntities, MatchesTheRulesAppliedLiterally) {
  // Lines made of pieces of the patterns, so that removals bring new matches together.
  const char* const kPieces[] = {"<", "w", "b", "r", ">", "<wbr>", "&", "#", "3", "9", ";", "&#39;",
                                 "&quot;", "quot", "&#", "x", " ", "\n"};
  std::mt19937 random(4);
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int count = static_cast<int>(random() % 24);
    for (int i = 0; i < count; ++i) line += kPieces[random() % std::size(kPieces)];
    std::string expected = line;
    ReferenceCleanEntities(expected.data());
    ASSERT_EQ(Cleaned(line), std::string(expected.c_str())) << line;
  }
}

TEST(Normaliser, BreaksBeforeEveryTagEndAndKeepsPrintableCharactersOnly) {
  struct Case {
    const char* name;
    std::string page;
    std::string normalised;
  } cases[] = {
      {"tags over two lines", "<td>\n<a href=x>Title</a></td>\n", "<td\n><a href=x\n>Title</a\n></td\n>"},
      {"carriage returns", "<b>\r\nx</b>\r\n", "<b\n>x</b\n>"},
      {"tabs and high bytes", "a\tb\xA0" "c\x80\xFF" "d>e", "abcd\n>e"},
      {"last line without a break", "a>b", "a\n>b"},
      {"last line with a break", "a>b\n", "a\n>b"},
      {"a line that starts with '>'", "x\n>y>z", "x>y\n>z"},
      {"entities", "it&#39;s &quot;new&quot; &amp; a&#8364;b", "it's \"new\" &amp; ab"},
      {"upper-case break tag", "a<WBR>b", "a<WBR\n>b"},
      {"entities of one line only", "&#12\n;x", "&#12;x"},
      {"empty page", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalisedText(c.page), c.normalised) << c.name;
}

TEST(Normaliser, PiecesOf1023CharactersAreLinesOfTheirOwn) {
  // A '>' that opens a piece gets no break; one a character earlier does.
  const std::string run1023(1023, 'a');
  EXPECT_EQ(NormalisedText(run1023 + ">b"), run1023 + ">b");
  const std::string run1022(1022, 'a');
  EXPECT_EQ(NormalisedText(run1022 + ">b"), run1022 + "\n>b");

  // An entity cut by the boundary survives pass one, and pass two joins its halves.
  const std::string head(1021, 'x');
  EXPECT_EQ(NormalisedText(head + "&#39;s"), head + "&#39;s");
  const std::string whole(1018, 'x');  // the entity ends the first piece
  EXPECT_EQ(NormalisedText(whole + "&#39;s"), whole + "'s");
}

TEST(Normaliser, OnePassGivesWhatTheTwoPassesGive) {
  for (const char* name : {"raw_pocket_watches", "escaped_film_cameras", "raw_long_line_pens", "raw_no_items"}) {
    WriteFileBytes("page.html", ReadFileBytes(std::string("pages/") + name + ".html"));
    EXPECT_EQ(CheckNormaliserAgainstPasses("page.html"), "") << name;
  }
  // Pages of pieces that meet the piece boundaries of both passes in every way: entities
  // that shorten a long line's first piece move pass two's boundaries, and '>', line breaks,
  // NULs and control or high bytes fall on them.
  const std::string kPieces[] = {">", "<", "&#39;", "&#", ";", "&quot;", "<wbr>", "\n", "\r\n", "\r", "\t",
                                 std::string(1, '\0'), "\xA0", "\x7F", "x", "ab", std::string(1017, 'y'),
                                 std::string(300, 'z'), std::string(8, 'w')};
  std::mt19937 random(9);
  for (int round = 0; round < 400; ++round) {
    std::string page;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) page += kPieces[random() % std::size(kPieces)];
    WriteFileBytes("page.html", page);
    ASSERT_EQ(CheckNormaliserAgainstPasses("page.html"), "") << "round " << round;
  }
}

TEST(Normaliser, LeavesTheNormalisedPageInTemphtmlHtmlOnly) {
  // Test mode: a saved page of another name is read, not changed; an old result is replaced.
  WriteFileBytes("temphtml.html", "old result");
  WriteFileBytes("saved.html", "<p>saved</p>\n");
  ResultPage page;
  page.stream = std::fopen("saved.html", "r");
  NormaliseResultPage(page);
  ASSERT_NE(page.stream, nullptr);
  ClosePage(page);
  EXPECT_EQ(ReadFileBytes("saved.html"), "<p>saved</p>\n");
  EXPECT_EQ(ReadFileText("temphtml.html"), "<p\n>saved</p\n>");
  EXPECT_FALSE(FileExists("temphtml.txt"));

  // Normal runs: the downloaded page itself is replaced.
  WriteFileBytes("temphtml.html", "<i>new</i>");
  page.stream = std::fopen("temphtml.html", "r");
  NormaliseResultPage(page);
  ASSERT_NE(page.stream, nullptr);
  ClosePage(page);
  EXPECT_EQ(ReadFileText("temphtml.html"), "<i\n>new</i\n>");
}

TEST(Normaliser, APageThatCannotBeRewrittenHasNoItems) {
  // "temphtml.txt" cannot be created when a folder stands in its way.
  std::filesystem::create_directory("temphtml.txt");
  const std::string saved = "<a href=\"ViewItem&item=1\">Camera body</a><b>$1.00</b><b>1m</b>";
  WriteFileBytes("page.html", saved);
  ResultPage page;
  page.stream = std::fopen("page.html", "r");
  NormaliseResultPage(page);
  EXPECT_EQ(page.stream, nullptr);
  EXPECT_TRUE(PageEnded(page));
  LocateResultList(page);
  AuctionItem item{};
  ParseNextItem(page, item);
  EXPECT_EQ(item.id[0], '\0');
  ClosePage(page);
  EXPECT_EQ(ReadFileBytes("page.html"), saved);
  std::filesystem::remove("temphtml.txt");
}

}  // namespace
