// The blocked auctions list on real files: pruning, matching, blocking, and failed file steps.
#include "common/blocked_auctions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/unique_file.h"

namespace fs = std::filesystem;

namespace {

constexpr long long kNow = 1700000000;

// Read in binary, so a Ctrl-Z byte does not end it; the CRs of Windows line ends are dropped.
std::string ReadText(const char* name) {
  const UniqueFile file(std::fopen(name, "rb"));
  if (!file) return "(missing)";
  std::string text;
  for (int c; (c = std::getc(file.get())) != EOF;)
    if (c != '\r') text.push_back(static_cast<char>(c));
  return text;
}

void WriteText(const char* name, const std::string& text) {
  const UniqueFile file(std::fopen(name, "w"));
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file.get());
}

bool Exists(const char* name) { return fs::exists(name); }

// File operations that fail on demand, one step at a time.
struct Faults {
  bool createTemp = false;    // "blockedauctions.txt" cannot be created
  bool writeTemp = false;     // it is created, but writes to it fail
  bool removeList = false;    // "blockedauctions.ini" cannot be deleted
  bool rename = false;        // the temp file cannot be renamed
  bool writeList = false;     // "blockedauctions.ini" cannot be created or appended to
  bool lockList = false;      // "blockedauctions.ini" exists but cannot be opened at all
} g_faults;

std::FILE* FaultyOpen(const char* name, const char* mode) {
  const bool writing = mode[0] == 'w' || mode[0] == 'a';
  const bool temp = std::strcmp(name, kBlockTempFileName) == 0;
  if (!temp && g_faults.lockList) {
    errno = EACCES;  // what the C library reports for a file another process holds
    return nullptr;
  }
  if (writing && temp && g_faults.createTemp) return nullptr;
  if (writing && !temp && g_faults.writeList) return nullptr;
  if (writing && temp && g_faults.writeTemp) {
    const UniqueFile emptied(std::fopen(name, "w"));
    return std::fopen(name, "r");  // every write to a read-only stream fails
  }
  return std::fopen(name, mode);
}
int FaultyRemove(const char* name) {
  return g_faults.removeList && std::strcmp(name, kBlockFileName) == 0 ? -1 : std::remove(name);
}
int FaultyRename(const char* from, const char* to) { return g_faults.rename ? -1 : std::rename(from, to); }
const BlockFileOps kFaultyOps{FaultyOpen, FaultyRemove, FaultyRename};

// Each test runs in a fresh folder of its own, since the list lives in the current folder.
class BlockedAuctions : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    folder_ = home_ / ("blocked_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    g_faults = Faults{};
    log_.reset(std::fopen("passlog.txt", "w+"));
    ASSERT_NE(log_, nullptr);
  }
  void TearDown() override {
    SetBlockFileOps(nullptr);
    log_.reset();
    fs::current_path(home_);
    fs::remove_all(folder_);
  }
  std::string Log() {
    std::fflush(log_.get());
    std::rewind(log_.get());
    std::string text;
    for (int c; (c = std::getc(log_.get())) != EOF;) text.push_back(static_cast<char>(c));
    std::fseek(log_.get(), 0, SEEK_END);  // the stream goes on being written
    return text;
  }
  int Lookup(const char* id, long long now = kNow) { return IsBlocked(id, log_.get(), now); }

  fs::path home_, folder_;
  UniqueFile log_;
};

}  // namespace

TEST_F(BlockedAuctions, LookupPrunesByAgeAndMatchesWholeIdsExactly) {
  struct Case {
    const char* name;
    std::string list;
    const char* id;
    int blocked;
    std::string after;
  } cases[] = {
      {"just blocked", "371 1700000000\n", "371", 1, "371 1700000000\n"},
      {"one second short of ten days", "371 1699136001\n", "371", 1, "371 1699136001\n"},
      {"exactly ten days", "371 1699136000\n", "371", 0, ""},
      {"stamped in the future", "371 1700000100\n", "371", 1, "371 1700000100\n"},
      {"prefix of a blocked id", "12345 1699999999\n", "1234", 0, "12345 1699999999\n"},
      {"blocked id is a prefix", "12345 1699999999\n", "123456", 0, "12345 1699999999\n"},
      {"letter case differs", "abc 1699999999\n", "ABC", 0, "abc 1699999999\n"},
      {"older duplicate pruned, younger holds", "7 1699000000\n7 1699999000\n", "7", 1, "7 1699999000\n"},
      {"last line without line end", "1 1699999000\n2 1699999999", "2", 1, "1 1699999000\n2 1699999999\n"},
      {"expired last line without line end", "1 1699999000\n2 1699000000", "2", 0, "1 1699999000\n"},
      {"malformed lines dropped",
       "junk\n\n 12345\n3 1699999999\nb notanumber\nc 99999999999\nd -\n", "3", 1, "3 1699999999\n"},
      {"scanned as a word and a number", "  a\t+1699999999 trailing words\n", "a", 1, "a 1699999999\n"},
      {"negative stamp is long past", "a -5\n", "a", 0, ""},
      {"a Ctrl-Z byte ends no list", "a\x1a 1699999999\nb 1699999999\n", "b", 1, "a\x1a 1699999999\nb 1699999999\n"},
      {"line of 255 characters kept", std::string(244, 'x') + " 1699999999\n", "x", 0,
       std::string(244, 'x') + " 1699999999\n"},
      {"only the first 255 characters of a line count",
       "a 1699999999" + std::string(250, ' ') + "tail\n" + std::string(255, 'y') + " 5 1699999999\n", "5", 0,
       "a 1699999999\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(kBlockFileName, c.list);
    EXPECT_EQ(Lookup(c.id), c.blocked);
    EXPECT_EQ(ReadText(kBlockFileName), c.after);
    EXPECT_FALSE(Exists(kBlockTempFileName));
  }
  EXPECT_EQ(Log(), "") << "an existing list writes nothing to the pass log";
}

TEST_F(BlockedAuctions, WithoutAListNothingIsBlockedAndEachLookupIsLogged) {
  EXPECT_EQ(Lookup("371"), 0);
  EXPECT_EQ(Lookup("372"), 0);
  EXPECT_EQ(Log(), "no blockfile\nno blockfile\n");
  EXPECT_FALSE(Exists(kBlockFileName));
  EXPECT_FALSE(Exists(kBlockTempFileName));
  EXPECT_EQ(IsBlocked("371", nullptr, kNow), 0);
}

TEST_F(BlockedAuctions, ABlockLastsTenDaysFromItsLatestEntry) {
  ASSERT_TRUE(BlockItem("371", kNow));
  EXPECT_EQ(ReadText(kBlockFileName), "371 1700000000\n");
  EXPECT_EQ(Lookup("371", kNow + 1), 1);
  EXPECT_EQ(Lookup("37", kNow + 1), 0);
  ASSERT_TRUE(BlockItem("371", kNow + 500000));  // blocked again: a second line
  EXPECT_EQ(ReadText(kBlockFileName), "371 1700000000\n371 1700500000\n");
  EXPECT_EQ(Lookup("371", kNow + 863999), 1);
  EXPECT_EQ(Lookup("371", kNow + 864000), 1);
  EXPECT_EQ(ReadText(kBlockFileName), "371 1700500000\n");
  EXPECT_EQ(Lookup("371", kNow + 500000 + 864000), 0);
  EXPECT_EQ(ReadText(kBlockFileName), "");
  EXPECT_EQ(Log(), "");
}

TEST_F(BlockedAuctions, BlockingAppendsOnALineOfItsOwn) {
  WriteText(kBlockFileName, "1 1699999999");  // last line without its line end
  ASSERT_TRUE(BlockItem("2", kNow));
  EXPECT_EQ(ReadText(kBlockFileName), "1 1699999999\n2 1700000000\n");
  EXPECT_EQ(Lookup("1"), 1);
  EXPECT_EQ(Lookup("2"), 1);

  for (const std::string& bad : {std::string(), std::string("a b"), std::string("a\tb"), std::string(244, 'x')}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(BlockItem(bad.c_str(), kNow));
  }
  EXPECT_TRUE(BlockItem(std::string(243, 'x').c_str(), kNow));
  EXPECT_EQ(Lookup(std::string(243, 'x').c_str()), 1);
}

TEST_F(BlockedAuctions, StampsKeepAgeingAfterThe32BitCountWraps) {
  const long long after2038 = 2147483648LL + 100;
  ASSERT_TRUE(BlockItem("9", after2038));
  EXPECT_EQ(ReadText(kBlockFileName), "9 -2147483548\n");
  EXPECT_EQ(Lookup("9", after2038 + 10), 1);
  EXPECT_EQ(Lookup("9", after2038 + 863999), 1);
  EXPECT_EQ(Lookup("9", after2038 + 864000), 0);
}

TEST_F(BlockedAuctions, ALeftoverTempFileNeverReplacesALiveList) {
  WriteText(kBlockTempFileName, "stale 1699999999\n");
  WriteText(kBlockFileName, "5 1699999999\n");
  EXPECT_EQ(Lookup("stale"), 0);
  EXPECT_EQ(ReadText(kBlockFileName), "5 1699999999\n");
  EXPECT_FALSE(Exists(kBlockTempFileName));
}

TEST_F(BlockedAuctions, AFailedFileStepLosesNoBlockAndTheLookupStillAnswers) {
  struct Case {
    const char* name;
    Faults faults;
    std::string listAfter;  // on disk right after the failing lookup
    bool tempAfter;
  } cases[] = {
      {"temp file cannot be created", {true}, "old 1699000000\nnew 1699999000\n", false},
      {"temp file cannot be written", {false, true}, "old 1699000000\nnew 1699999000\n", false},
      {"list cannot be deleted", {false, false, true}, "old 1699000000\nnew 1699999000\n", false},
      {"temp file cannot be renamed", {false, false, false, true}, "new 1699999000\n", false},
      {"neither renamed nor rewritten", {false, false, false, true, true}, "(missing)", true},
  };
  SetBlockFileOps(&kFaultyOps);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(kBlockFileName, "old 1699000000\nnew 1699999000\n");
    g_faults = c.faults;
    EXPECT_EQ(Lookup("new"), 1);
    EXPECT_EQ(ReadText(kBlockFileName), c.listAfter);
    EXPECT_EQ(Exists(kBlockTempFileName), c.tempAfter);
    EXPECT_EQ(Lookup("old"), 0);
    EXPECT_EQ(Lookup("new"), 1) << "the list must still be found";
    EXPECT_EQ(Log(), "");

    g_faults = Faults{};
    EXPECT_EQ(Lookup("new"), 1);
    EXPECT_EQ(ReadText(kBlockFileName), "new 1699999000\n");
    EXPECT_FALSE(Exists(kBlockTempFileName));
    std::remove(kBlockFileName);
  }
}

TEST_F(BlockedAuctions, BlocksGoToTheTempFileWhileItStandsInForTheList) {
  SetBlockFileOps(&kFaultyOps);
  WriteText(kBlockFileName, "1 1699999000\n");
  g_faults.rename = g_faults.writeList = true;
  EXPECT_EQ(Lookup("1"), 1);  // the list now exists only as the temp file
  ASSERT_TRUE(BlockItem("2", kNow));
  EXPECT_EQ(ReadText(kBlockTempFileName), "1 1699999000\n2 1700000000\n");
  EXPECT_EQ(Lookup("2"), 1);
  g_faults = Faults{};
  EXPECT_EQ(Lookup("2"), 1);
  EXPECT_EQ(ReadText(kBlockFileName), "1 1699999000\n2 1700000000\n");
  EXPECT_FALSE(Exists(kBlockTempFileName));
  EXPECT_EQ(Log(), "");
}

TEST_F(BlockedAuctions, ABlockThatCannotBeWrittenHoldsAndIsWrittenLater) {
  SetBlockFileOps(&kFaultyOps);
  g_faults = Faults{};
  g_faults.writeList = true;
  EXPECT_FALSE(BlockItem("1", kNow));
  EXPECT_FALSE(Exists(kBlockFileName));
  EXPECT_EQ(Lookup("1", kNow + 10), 1);
  EXPECT_EQ(Log(), "no blockfile\n");
  g_faults = Faults{};
  EXPECT_TRUE(BlockItem("2", kNow + 20));
  EXPECT_EQ(ReadText(kBlockFileName), "1 1700000000\n2 1700000020\n");

  // A block that stays unwritten still ends after ten days.
  g_faults.writeList = true;
  std::remove(kBlockFileName);
  EXPECT_FALSE(BlockItem("3", kNow));
  EXPECT_EQ(Lookup("3", kNow + 863999), 1);
  EXPECT_EQ(Lookup("3", kNow + 864000), 0);
  g_faults = Faults{};
  EXPECT_EQ(Lookup("3", kNow + 864000), 0);
  EXPECT_FALSE(Exists(kBlockFileName)) << "an expired block is not written";
}

TEST_F(BlockedAuctions, ABlockWhileTheListCannotBeOpenedWaitsForTheList) {
  // Found by the fuzzer: a list that could not be opened counted as missing, so a leftover temp
  // file stood in for it (or was renamed over it) and took the block, and the next lookup
  // overwrote the temp file.
  SetBlockFileOps(&kFaultyOps);
  WriteText(kBlockFileName, "1 1699999000\n");
  WriteText(kBlockTempFileName, "stale 1699999000\n");
  g_faults.lockList = true;
  EXPECT_FALSE(BlockItem("2", kNow));
  EXPECT_EQ(ReadText(kBlockTempFileName), "stale 1699999000\n");
  EXPECT_EQ(Lookup("2"), 1);
  g_faults = Faults{};
  EXPECT_EQ(Lookup("2"), 1);
  EXPECT_EQ(Lookup("stale"), 0);
  EXPECT_EQ(ReadText(kBlockFileName), "1 1699999000\n2 1700000000\n");
  EXPECT_FALSE(Exists(kBlockTempFileName));
}

namespace {

void WriteBytes(const char* name, const std::string& bytes) {
  const UniqueFile file(std::fopen(name, "wb"));
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
}

std::string ReadBytes(const char* name) {
  const UniqueFile file(std::fopen(name, "rb"));
  if (!file) return "(missing)";
  std::string bytes;
  for (int c; (c = std::getc(file.get())) != EOF;) bytes.push_back(static_cast<char>(c));
  return bytes;
}

// Lines of every kind around the entries of item 371: CR LF and LF ends, an expired and a
// future entry of it, ids that only resemble it, lines that are no entry, a NUL byte, long
// lines of which only the first 255 bytes count (one is no entry, one is), and a last line
// without its end.
const std::string kMixedList = std::string("371 1699999000\r\n") +
                               "3710 1699999000\n"
                               "junk line\r\n"
                               "  371\t1600000000 trailing words\n"
                               "\n"
                               "37 1699999500\r\n" +
                               std::string("a\0b 1699999999\n", 15) +
                               "371\n"
                               "371 1700000500\r\n" +
                               "371" + std::string(260, ' ') + "1699999999\n" +
                               "371 1699999999" + std::string(250, ' ') + "tail\n" +
                               "ABC 1699999999\r\n"
                               "371 1699999999";
const std::string kMixedListWithout371 = std::string("3710 1699999000\n"
                                                     "junk line\r\n"
                                                     "\n"
                                                     "37 1699999500\r\n") +
                                         std::string("a\0b 1699999999\n", 15) + "371\n" + "371" +
                                         std::string(260, ' ') + "1699999999\n" + "ABC 1699999999\r\n";

}  // namespace

TEST_F(BlockedAuctions, UnblockingRemovesEveryEntryOfTheIdAndKeepsEveryOtherByte) {
  WriteBytes(kBlockFileName, kMixedList);
  EXPECT_EQ(UnblockItem("371"), Unblocked::Removed);
  EXPECT_EQ(ReadBytes(kBlockFileName), kMixedListWithout371);
  EXPECT_FALSE(Exists(kBlockTempFileName));
  EXPECT_EQ(Lookup("371"), 0);
  EXPECT_EQ(Lookup("3710"), 1);

  // Nothing to remove: the list is not rewritten at all.
  WriteBytes(kBlockFileName, kMixedListWithout371);
  EXPECT_EQ(UnblockItem("371"), Unblocked::NoEntry);
  EXPECT_EQ(UnblockItem("abc"), Unblocked::NoEntry) << "letter case counts";
  EXPECT_EQ(UnblockItem(""), Unblocked::NoEntry);
  EXPECT_EQ(ReadBytes(kBlockFileName), kMixedListWithout371);

  // The only entry goes: an empty list stays, which is still a list.
  WriteBytes(kBlockFileName, "9 1699999999\r\n");
  EXPECT_EQ(UnblockItem("9"), Unblocked::Removed);
  EXPECT_EQ(ReadBytes(kBlockFileName), "");
  EXPECT_EQ(Lookup("9"), 0);
  EXPECT_EQ(Log(), "");

  std::remove(kBlockFileName);
  EXPECT_EQ(UnblockItem("9"), Unblocked::NoEntry);
  EXPECT_FALSE(Exists(kBlockFileName)) << "no list is made";
}

TEST_F(BlockedAuctions, UnblockingInAnotherFolderUsesItsFiles) {
  fs::create_directories("other");
  WriteBytes("other/blockedauctions.ini", "1 1699999999\n2 1699999999\n");
  const BlockListFiles files{"other/blockedauctions.ini", "other/blockedauctions.txt"};
  long long since = 0;
  EXPECT_TRUE(NewestCurrentBlock("1", kNow, &since, files));
  EXPECT_EQ(UnblockItem("1", files), Unblocked::Removed);
  EXPECT_EQ(ReadBytes("other/blockedauctions.ini"), "2 1699999999\n");
  EXPECT_FALSE(Exists("other/blockedauctions.txt"));
  EXPECT_FALSE(Exists(kBlockFileName));
}

TEST_F(BlockedAuctions, AFailedUnblockingStepLeavesAWholeListAndLosesNoOtherEntry) {
  const std::string before = "old 1699000000\r\n371 1699999000\nnew 1699999000\r\n";
  const std::string after = "old 1699000000\r\nnew 1699999000\r\n";
  struct Case {
    const char* name;
    Faults faults;
    Unblocked result;
    std::string listAfter;
    std::string tempAfter;
  } cases[] = {
      {"temp file cannot be created", {true}, Unblocked::Failed, before, "(missing)"},
      {"temp file cannot be written", {false, true}, Unblocked::Failed, before, "(missing)"},
      {"list cannot be deleted", {false, false, true}, Unblocked::Failed, before, "(missing)"},
      {"temp file cannot be renamed", {false, false, false, true}, Unblocked::Removed, after, "(missing)"},
      {"neither renamed nor rewritten", {false, false, false, true, true}, Unblocked::Removed, "(missing)", after},
      {"list cannot be opened", {false, false, false, false, false, true}, Unblocked::Failed, before, "(missing)"},
  };
  SetBlockFileOps(&kFaultyOps);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(kBlockFileName, before);
    g_faults = c.faults;
    EXPECT_EQ(UnblockItem("371"), c.result);
    EXPECT_EQ(ReadBytes(kBlockFileName), c.listAfter);
    EXPECT_EQ(ReadBytes(kBlockTempFileName), c.tempAfter);

    // Whatever stands, the next lookup finds every other current entry.
    g_faults = Faults{};
    EXPECT_EQ(Lookup("new"), 1);
    EXPECT_EQ(Lookup("371"), c.result == Unblocked::Removed ? 0 : 1);
    EXPECT_FALSE(Exists(kBlockTempFileName));
    std::remove(kBlockFileName);
  }
  EXPECT_EQ(Log(), "");
}

TEST_F(BlockedAuctions, ACopyStandingInForTheListIsNotRewrittenByUnblocking) {
  SetBlockFileOps(&kFaultyOps);
  WriteBytes(kBlockTempFileName, "1 1699999000\n2 1699999000\n");
  g_faults.rename = true;
  EXPECT_EQ(UnblockItem("3"), Unblocked::NoEntry);
  EXPECT_EQ(UnblockItem("1"), Unblocked::Failed);
  EXPECT_EQ(ReadBytes(kBlockTempFileName), "1 1699999000\n2 1699999000\n");
  EXPECT_FALSE(Exists(kBlockFileName));
  g_faults = Faults{};
  EXPECT_EQ(UnblockItem("1"), Unblocked::Removed) << "put back in place first, then rewritten";
  EXPECT_EQ(ReadBytes(kBlockFileName), "2 1699999000\n");
  EXPECT_FALSE(Exists(kBlockTempFileName));
}

TEST_F(BlockedAuctions, TheNewestCurrentBlockCountsAsTheLookupDoes) {
  long long since = -1;
  EXPECT_FALSE(NewestCurrentBlock("371", kNow, &since)) << "no list";
  EXPECT_EQ(since, -1);

  WriteBytes(kBlockFileName, "371 1699136000\r\n371 1699500000\n3710 1699999999\n371 1699400000\n");
  EXPECT_TRUE(NewestCurrentBlock("371", kNow, &since));
  EXPECT_EQ(since, 1699500000);
  EXPECT_FALSE(NewestCurrentBlock("37", kNow, &since));
  EXPECT_FALSE(NewestCurrentBlock("371", 1699500000 + kBlockRetentionSeconds, &since)) << "all ten days old";
  EXPECT_TRUE(NewestCurrentBlock("371", 1699500000 + kBlockRetentionSeconds - 1, &since));
  EXPECT_EQ(ReadBytes(kBlockFileName), "371 1699136000\r\n371 1699500000\n3710 1699999999\n371 1699400000\n")
      << "nothing is pruned";

  WriteBytes(kBlockFileName, "9 1700000100\n9 1699999999\n");
  EXPECT_TRUE(NewestCurrentBlock("9", kNow, &since));
  EXPECT_EQ(since, 1700000100) << "a stamp in the future counts, as it does for the lookup";

  // Stamps of the 32-bit count after it wraps: the block began 100 seconds after 2^31.
  const long long after2038 = 2147483648LL + 100;
  WriteBytes(kBlockFileName, "9 -2147483548\n");
  EXPECT_TRUE(NewestCurrentBlock("9", after2038 + 5000, &since));
  EXPECT_EQ(since, after2038);

  // The lookup's copy standing in for a deleted list is read in its place.
  std::remove(kBlockFileName);
  WriteBytes(kBlockTempFileName, "5 1699999000\n");
  EXPECT_TRUE(NewestCurrentBlock("5", kNow, &since));
  EXPECT_EQ(since, 1699999000);
  EXPECT_TRUE(Exists(kBlockTempFileName)) << "and left where it is";
}
