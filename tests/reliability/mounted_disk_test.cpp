// The programs on real small file systems, mounted for the test: a disk that fills up, and a
// read-only folder. Nothing stored may be lost, and what fails is told.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "common/settings_store.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

const char kTwoSearches[] = "\"one\" http://127.0.0.1:9/1 0 1 0 25\r\n\"two\" http://127.0.0.1:9/2 0 1 0 25\r\n";

class MountedDisk : public ::testing::Test {
 protected:
  ScopedRegistryKey settings_{kSettingsKeyPath};
  std::string poller_ = ProgramPath("lotwise.exe");
  std::string churn_ = ProgramPath("search_list_churn.exe");

  void SetUp() override {
    if (FileExists("disks\\unavailable")) GTEST_SKIP() << ReadFileBytes("disks\\unavailable");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
  }
  void TearDown() override { RunProgram(poller_, "-k"); }

  // Add, change and delete through the manager's file operations each fail and say so, and the
  // list in disk stays byte for byte.
  void ExpectEveryChangeRefused(const std::string& disk) {
    for (const char* op : {"add", "change", "delete"})
      EXPECT_EQ(RunProgram(churn_, std::string("lotwise2.ini ") + op, disk), 1) << op;
    EXPECT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);
  }

  // Runs a test-mode pass in disk that tells the user `message`; returns its exit code.
  DWORD PassTelling(const std::string& disk, const std::string& message) {
    ChildProcess pass;
    EXPECT_TRUE(pass.Start(poller_, "-t page.html", disk));
    const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK, 20000);
    EXPECT_EQ(box.text, message) << ui::DescribeScreen();
    DWORD code = 12345;
    EXPECT_TRUE(pass.Wait(20000, &code)) << ui::DescribeScreen();
    return code;
  }
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

  ExpectEveryChangeRefused(disk);

  // A pass runs to its end, the blocked list keeps its entry, and the user learns that the
  // log could not be written.
  EXPECT_EQ(PassTelling(disk, "The file lotwise.txt could not be written."), 0u);
  EXPECT_EQ(ReadFileBytes(disk + "\\blockedauctions.ini"), blocked);
  EXPECT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);

  // With room again, the next change works.
  DeleteFileA((disk + "\\filler").c_str());
  EXPECT_EQ(RunProgram(churn_, "lotwise2.ini add", disk), 0);
}

TEST_F(MountedDisk, AReadOnlyFolderRefusesChangesAndThePassSaysWhy) {
  const std::string disk = "disks\\readonly";
  ASSERT_EQ(ReadFileBytes(disk + "\\lotwise2.ini"), kTwoSearches);
  ExpectEveryChangeRefused(disk);
  EXPECT_EQ(PassTelling(disk, "The file lotwise.txt was not opened"), 0xFFFFFFFFu);
}
