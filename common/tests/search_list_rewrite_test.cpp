// Search list rewrites under interruption and concurrent readers: the list is always whole,
// the old one or the new one, and failures leave it untouched.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/search_list.h"
#include "common/tests/file_test_util.h"
#include "common/unique_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kList[] = "search_list_rewrite_test.ini";
const std::string kTemporary = TemporaryCopyPath(kList);

SearchTexts Texts(const char* description, const char* price) {
  SearchTexts t{};
  std::snprintf(t.description, sizeof t.description, "%s", description);
  std::snprintf(t.url, sizeof t.url, "http://a/%s", description);
  std::snprintf(t.days, sizeof t.days, "0");
  std::snprintf(t.hours, sizeof t.hours, "1");
  std::snprintf(t.minutes, sizeof t.minutes, "2");
  std::snprintf(t.price, sizeof t.price, "%s", price);
  return t;
}

void RemoveBoth() {
  std::remove(kList);
  std::remove(kTemporary.c_str());
  rmdir(kTemporary.c_str());
}

class SearchListRewrite : public ::testing::Test {
 protected:
  void SetUp() override { RemoveBoth(); }
  void TearDown() override {
    SetRewriteStepHook(nullptr);
    RemoveBoth();
  }
};

const std::string kThree = "\"one\" http://a/1 0 0 1 1\n\"two\" http://a/2 0 0 2 2\n\"three\" http://a/3 0 0 3 3\n";
const char kTwo[] = "\"two\" http://a/2 0 0 2 2";  // line 2 of kThree as loaded

}  // namespace

TEST_F(SearchListRewrite, ARewriteThatCannotWriteItsCopyLeavesTheListUntouched) {
  WriteText(kList, kThree);
  // A folder in the copy's place: the copy cannot be created, as in a read-only folder.
  ASSERT_EQ(mkdir(kTemporary.c_str(), 0700), 0);
  EXPECT_FALSE(AppendSearch(kList, Texts("four", "4")));
  EXPECT_EQ(ReplaceSearch(kList, 2, kTwo, Texts("TWO", "2")), RewriteResult::Failed);
  EXPECT_EQ(DeleteSearch(kList, 2, kTwo), RewriteResult::Failed);
  EXPECT_EQ(ConvertOldSearchList("missing-old-list.ini", kList), ConversionResult::Failed);
  EXPECT_EQ(ReadFileBytes(kList), kThree);
}

TEST_F(SearchListRewrite, ARewriteOnAFullDiskLeavesTheListUntouched) {
  if (!Exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  WriteText(kList, kThree);
  // The copy's name leads to a device on which every write fails for want of space. A failed
  // copy is removed, and with it the link: it is made anew for each operation.
  for (bool (*change)() : {+[] { return ReplaceSearch(kList, 2, kTwo, Texts("TWO", "2")) == RewriteResult::Done; },
                           +[] { return AppendSearch(kList, Texts("four", "4")); },
                           +[] { return DeleteSearch(kList, 2, kTwo) == RewriteResult::Done; }}) {
    ASSERT_EQ(symlink("/dev/full", kTemporary.c_str()), 0);
    EXPECT_FALSE(change());
    EXPECT_EQ(ReadFileBytes(kList), kThree);
    std::remove(kTemporary.c_str());
  }
}

namespace {

RewriteStep g_stopAt;
void StopHere(RewriteStep step) {
  if (step == g_stopAt) _exit(0);
}

// Runs change in a child process that ends abruptly at step, as a killed manager would.
void RunCutOff(RewriteStep step, bool (*change)()) {
  g_stopAt = step;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SetRewriteStepHook(StopHere);
    change();
    _exit(1);  // the step was never reached
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace

TEST_F(SearchListRewrite, AManagerStoppedAtAnyStepOfARewriteLeavesTheOldListOrTheNew) {
  struct Case {
    const char* name;
    RewriteStep step;
    bool (*change)();
    std::string after;
  };
  const std::string changed = "\"one\" http://a/1 0 0 1 1\n\"TWO\" http://a/TWO 0 1 2 2\n\"three\" http://a/3 0 0 3 3\n";
  const std::string added = kThree + "\"four\"\thttp://a/four\t0\t1\t2\t4\n";
  const std::string deleted = "\"one\" http://a/1 0 0 1 1\n\"three\" http://a/3 0 0 3 3\n";
  const auto change = [] { return ReplaceSearch(kList, 2, kTwo, Texts("TWO", "2")) == RewriteResult::Done; };
  const auto remove = [] { return DeleteSearch(kList, 2, kTwo) == RewriteResult::Done; };
  const auto add = [] { return AppendSearch(kList, Texts("four", "4")); };
  const Case cases[] = {
      {"change, copy written", RewriteStep::CopyWritten, change, kThree},
      {"change, list replaced", RewriteStep::ListReplaced, change, changed},
      {"delete, copy written", RewriteStep::CopyWritten, remove, kThree},
      {"delete, list replaced", RewriteStep::ListReplaced, remove, deleted},
      // The copy holds the whole new list, but nothing can tell it from one cut at a line end:
      // an add stopped before its replace step is not made.
      {"add, copy written", RewriteStep::CopyWritten, add, kThree},
      {"add, list replaced", RewriteStep::ListReplaced, add, added},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveBoth();
    WriteText(kList, kThree);
    RunCutOff(c.step, c.change);
    EXPECT_EQ(ReadFileText(kList), c.after);
    // The next rewrite starts afresh over a stray copy.
    ASSERT_TRUE(AppendSearch(kList, Texts("five", "5")));
    EXPECT_EQ(ReadFileText(kList), c.after + "\"five\"\thttp://a/five\t0\t1\t2\t5\n");
  }
}

TEST_F(SearchListRewrite, AReaderDuringRewritesAlwaysSeesAWholeList) {
  WriteText(kList, kThree);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::vector<std::string> torn;
  std::thread reader([&] {
    while (!done) {
      const UniqueFile file(std::fopen(kList, "r"));
      if (!file) {
        torn.push_back("list missing");
        continue;
      }
      std::vector<std::string> lines;
      bool lastEnded = true;
      bool hadLineEnd = false;
      for (std::string line; ReadFileLine(file.get(), kSearchListLineCap, line, &hadLineEnd);) {
        lines.push_back(line);
        lastEnded = hadLineEnd;
      }
      ++reads;
      // Three or four searches, each readable and ended.
      SavedSearch search{};
      bool whole = lastEnded && (lines.size() == 3 || lines.size() == 4);
      for (const std::string& line : lines) whole = whole && ParseSavedSearch(line.c_str(), search);
      if (!whole && torn.size() < 5) torn.push_back(std::to_string(lines.size()) + " lines");
    }
  });
  for (int i = 0; i < 300; ++i) {
    const SearchTexts extra = Texts("extra", std::to_string(i).c_str());
    const SearchTexts changedExtra = Texts("EXTRA", std::to_string(i).c_str());
    ASSERT_TRUE(AppendSearch(kList, extra));
    ASSERT_EQ(ReplaceSearch(kList, 4, FormatAddForm(extra), changedExtra), RewriteResult::Done);
    ASSERT_EQ(DeleteSearch(kList, 4, FormatChangeForm(changedExtra)), RewriteResult::Done);
  }
  done = true;
  reader.join();
  EXPECT_TRUE(torn.empty()) << torn.front();
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(ReadFileText(kList), kThree);
}
