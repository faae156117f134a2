// The poller's command line: mode, one-pass and test flags, and the working page name.
#include "poller/engine/core/command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandLine, FirstLetterAfterTheDashChoosesTheMode) {
  struct Case {
    const char* line;
    PollerMode mode;
    bool onePass;
    bool testMode;
  } cases[] = {
      {"", PollerMode::Continuous, false, false},
      {"-", PollerMode::Continuous, false, false},
      {"lotwise2.ini", PollerMode::Continuous, false, false},
      {" -r", PollerMode::Continuous, false, false},  // the dash must come first
      {"-r", PollerMode::OnePass, true, false},
      {"-R", PollerMode::OnePass, true, false},
      {"-run now", PollerMode::OnePass, true, false},
      {"- r", PollerMode::OnePass, true, false},
      {"-s", PollerMode::Settings, false, false},
      {"-Setup", PollerMode::Settings, false, false},
      {"-u", PollerMode::UpdateCheck, false, false},
      {"-k", PollerMode::Stop, false, false},
      {"-K", PollerMode::Stop, false, false},
      {"-x", PollerMode::Continuous, false, false},
      {"-7", PollerMode::Continuous, false, false},
      {"-t page.html", PollerMode::OnePass, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const StartupSettings s = ParseCommandLine(c.line);
    EXPECT_EQ(s.mode, c.mode);
    EXPECT_EQ(s.onePass, c.onePass);
    EXPECT_EQ(s.testMode, c.testMode);
    EXPECT_STREQ(s.searchListPath, "lotwise2.ini");
  }
  EXPECT_EQ(ParseCommandLine(nullptr).mode, PollerMode::Continuous);
}

TEST(CommandLine, TestModeTakesTheNameAfterItsLetter) {
  EXPECT_STREQ(ParseCommandLine("-tpage.html").workingPageName, "page.html");
  EXPECT_STREQ(ParseCommandLine("-t page.html").workingPageName, "page.html");
  EXPECT_STREQ(ParseCommandLine("-T   page.html more").workingPageName, "page.html");
  EXPECT_STREQ(ParseCommandLine("-t").workingPageName, "temphtml.html");
  EXPECT_STREQ(ParseCommandLine("-t   ").workingPageName, "temphtml.html");
  EXPECT_STREQ(ParseCommandLine("-r page.html").workingPageName, "temphtml.html");
  // Blanks between the dash and the letter: the name still starts after the letter.
  EXPECT_STREQ(ParseCommandLine("- t page.html").workingPageName, "page.html");
  EXPECT_STREQ(ParseCommandLine("-  Tpage.html").workingPageName, "page.html");
  EXPECT_STREQ(ParseCommandLine("- test").workingPageName, "est");
}

TEST(CommandLine, APageNameThatDoesNotFitIsRefusedNotCut) {
  const std::string fits = std::string(127, 'p');
  const StartupSettings longest = ParseCommandLine(("-t " + fits).c_str());
  EXPECT_EQ(longest.mode, PollerMode::OnePass);
  EXPECT_EQ(std::string(longest.workingPageName), fits);
  for (const std::string& line : {"-t " + fits + "p", "-t" + std::string(400, 'p') + " short.html",
                                  "- t " + fits + "p"}) {
    SCOPED_TRACE(line);
    const StartupSettings refused = ParseCommandLine(line.c_str());
    EXPECT_EQ(refused.mode, PollerMode::PageNameTooLong);
    EXPECT_FALSE(refused.onePass);
    EXPECT_STREQ(refused.workingPageName, "temphtml.html");
  }
}
