// The poller's command line: which mode the process runs in, and the settings it starts with.
#pragma once

constexpr int kStartupPathSize = 128;  // the start-up paths hold at most 127 characters

// PageNameTooLong: "-t" named a page that does not fit a start-up path; nothing is run.
enum class PollerMode { Continuous, OnePass, Settings, UpdateCheck, Stop, PageNameTooLong };

struct StartupSettings {
  PollerMode mode = PollerMode::Continuous;
  char searchListPath[kStartupPathSize] = "lotwise2.ini";
  char workingPageName[kStartupPathSize] = "temphtml.html";
  bool onePass = false;
  bool testMode = false;
};

// Only the first word counts, and of it only the dash and the letter after it (either case);
// "-t" takes the file name that follows its letter, directly or after blanks.
StartupSettings ParseCommandLine(const char* commandLine);
