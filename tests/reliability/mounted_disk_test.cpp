// The programs on real small file systems, mounted for the test: a disk that fills up, and a
// read-only folder. Nothing stored may be lost, and what fails is told.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Rure Lotwise";
const char kTwoSearches[] = "\"one\" http://127.0.0.1:9/1 0 1 0 25\r\n\"two\" http://127.0.0.1:9/2 0 1 0 25\r\n";

class MountedDisk : public ::testing::Test {
 protected:
  ScopedRegistryKey settings_{kSettingsKey};
  std::string poller_ = ProgramPath("lotwise.exe");
  std::string churn_ = ProgramPath("search_list_churn.exe");

  void SetUp() override {
    if (FileExists("disks\\unavailable")) GTEST_SKIP() << ReadFileBytes("disks\\unavailable");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKey, "LotwiseSound", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKey, "PopupMessages", "0");
  }
  void TearDown() override { RunProgram(poller_, "-k"); }
};

// Fills the rest of a disk with one file; returns how many bytes it took.
size_t Fill(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const std::string block(4096, 'x');
  size_t total = 0;
  DWORD written = 0;
  while (WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written > 0)
    total += written;
  CloseHandle(file);
  return total;
}

}  // namespace

TEST_F(MountedDisk, AFullDiskLosesNoSearchAndNoBlockAndSaysSo) {
  const std::string disk = "disks\\small";
  ASSERT_TRUE(WriteFileBytes(disk + "\\lotwise2.ini", kTwoSearches));
  ASSERT_TRUE(WriteFileBytes(disk + "\\page.html", ReadFileBytes(LOTWISE_TEST_DATA "\\pages\\raw_pocket_watches.html")));
  const std::string blocked = "1043398201 " + std::to_string(time(nullptr)) + "\r\n";
  ASSERT_TRUE(WriteFileBytes(disk + "\\blockedauctions.ini", blocked));
  ASSERT_GT(Fill(disk + "\\filler"), 0u);

  // Every change of the list fails and says so; the list stays byte for byte.
  for (const char* op : {"add", "change", "delete"})
    EXPECT_EQ(RunProgram(churn_, std::string("lotwise2.ini ") + op, disk), 1) << op;
  EXPECT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);

  // A pass runs to its end, the blocked list keeps its entry, and the user learns that the
  // log could not be written.
  ChildProcess pass;
  ASSERT_TRUE(pass.Start(poller_, "-t page.html", disk));
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK, 20000);
  ASSERT_NE(box.window, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(box.text, "The file lotwise.txt could not be written.");
  DWORD code = 1;
  ASSERT_TRUE(pass.Wait(20000, &code)) << ui::DescribeScreen();
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadFileBytes(disk + "\\blockedauctions.ini"), blocked);
  EXPECT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);

  // With room again, the next change works.
  DeleteFileA((disk + "\\filler").c_str());
  EXPECT_EQ(RunProgram(churn_, "lotwise2.ini add", disk), 0);
}

TEST_F(MountedDisk, AReadOnlyFolderRefusesChangesAndThePassSaysWhy) {
  const std::string disk = "disks\\readonly";
  ASSERT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);
  for (const char* op : {"add", "change", "delete"})
    EXPECT_EQ(RunProgram(churn_, std::string("lotwise2.ini ") + op, disk), 1) << op;
  EXPECT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);

  ChildProcess pass;
  ASSERT_TRUE(pass.Start(poller_, "-t page.html", disk));
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK, 20000);
  ASSERT_NE(box.window, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(box.text, "The file lotwise.txt was not opened");
  DWORD code = 0;
  ASSERT_TRUE(pass.Wait(20000, &code)) << ui::DescribeScreen();
  EXPECT_EQ(code, 0xFFFFFFFFu);
}
