// lotwise.exe under Wine: instance marks, the stop command and the messages of start-up.
#include <gtest/gtest.h>

#include "common/settings_store.h"
#include "poller/engine/instance_control.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

class PollerEntry : public ::testing::Test {
 protected:
  // An empty search list and a long interval: a continuous poller makes its short pass and waits.
  ScopedRegistryKey settings_{kSettingsKeyPath};
  std::string poller_ = ProgramPath("lotwise.exe");
  ScratchFolder folder_{"entry"};

  void SetUp() override {
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");
    WriteFileBytes(folder_.File("lotwise2.ini"), "");
  }

  long Run(const std::string& arguments, DWORD timeoutMs = 15000) {
    return RunProgram(poller_, arguments, folder_.Path(), timeoutMs);
  }
  void TearDown() override { Run("-k"); }  // never leave a poller behind for the next test
};

// Waits until a poller has created its run event, i.e. passed its instance guard.
bool WaitForRunEvent(DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, kRunEventName);
    if (event) {
      CloseHandle(event);
      return true;
    }
    Sleep(20);
  }
  return false;
}

}  // namespace

TEST_F(PollerEntry, StopWithNothingRunningEndsAtOnce) {
  const DWORD start = GetTickCount();
  EXPECT_EQ(Run("-k"), 0);
  EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(PollerEntry, SecondContinuousPollerIsRefusedWithItsMessage) {
  ChildProcess first;
  ASSERT_TRUE(first.Start(poller_, "", folder_.Path()));
  ASSERT_TRUE(WaitForRunEvent()) << ui::DescribeScreen();

  ChildProcess second;
  ASSERT_TRUE(second.Start(poller_, "-x", folder_.Path()));
  ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
  ASSERT_NE(box.window, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(box.text, "Lotwise Already Running. Can only have one running process");
  ASSERT_EQ(box.buttons.size(), 1u) << box.Describe();
  EXPECT_EQ(box.buttons[0].first, IDOK);
  DWORD code = 1;
  ASSERT_TRUE(second.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(first.IsRunning());

  // "-k" stops it within a second, and the stopped poller ends with 0.
  const DWORD start = GetTickCount();
  EXPECT_EQ(Run("-k"), 0);
  ASSERT_TRUE(first.Wait(5000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_LT(GetTickCount() - start, 3000u);  // generous for Wine start-up; the stop itself is immediate
}

TEST_F(PollerEntry, OnePassRunsBesideAPollerButNotBesideAnotherOnePass) {
  ChildProcess poller;
  ASSERT_TRUE(poller.Start(poller_, "", folder_.Path()));
  ASSERT_TRUE(WaitForRunEvent());

  // Beside a continuous poller, a one-pass run makes its pass: the log is written anew.
  Sleep(500);
  DeleteFileA(folder_.File("lotwise.txt").c_str());
  EXPECT_EQ(Run("-R"), 0);
  EXPECT_NE(ReadFileBytes(folder_.File("lotwise.txt")).find("Closed lotwise2.ini"), std::string::npos);

  // A one-pass run held up by a message box (its folder's search list cannot be opened) keeps
  // its mark...
  ScratchFolder other("entry-other");
  ASSERT_TRUE(CreateDirectoryA(other.File("lotwise2.ini").c_str(), nullptr));
  ChildProcess held;
  ASSERT_TRUE(held.Start(poller_, "-r", other.Path()));
  HWND box = ui::WaitForWindow("Error");
  ASSERT_NE(box, nullptr) << ui::DescribeScreen();
  // ...so a second one-pass run ends at once, silently, without a pass.
  DeleteFileA(folder_.File("lotwise.txt").c_str());
  const DWORD start = GetTickCount();
  EXPECT_EQ(Run("-r"), 0);
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_FALSE(FileExists(folder_.File("lotwise.txt")));
  EXPECT_EQ(ui::ReadMessageBox(box).text, "The file lotwise2.ini was not opened\n");
  ui::Click(box, IDOK);
  DWORD code = 0;
  ASSERT_TRUE(held.Wait(10000, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu);

  EXPECT_EQ(Run("-k"), 0);
  ASSERT_TRUE(poller.Wait(5000, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(PollerEntry, StopWaitsForTheRunEventOfEachRunningProduct) {
  // A sibling product that never answers: its run event exists, nobody sets it.
  HANDLE siblingRun = CreateEventA(nullptr, TRUE, FALSE, "Marrowby - Run");
  ASSERT_NE(siblingRun, nullptr);
  ChildProcess stop;
  ASSERT_TRUE(stop.Start(poller_, "-k", folder_.Path()));
  EXPECT_FALSE(stop.Wait(3000)) << "the stop command must wait for the sibling's run event";
  HANDLE siblingAbort = OpenEventA(SYNCHRONIZE, FALSE, "Marrowby - Abort");
  ASSERT_NE(siblingAbort, nullptr);
  EXPECT_EQ(WaitForSingleObject(siblingAbort, 0), WAIT_OBJECT_0) << "the sibling's abort event is set";
  SetEvent(siblingRun);  // the sibling answers
  DWORD code = 1;
  ASSERT_TRUE(stop.Wait(5000, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(siblingAbort);
  CloseHandle(siblingRun);
}

TEST_F(PollerEntry, ATestPageNameThatDoesNotFitIsRefusedWithoutAPass) {
  // The name cut to 127 characters names a file that exists: it must not be read instead.
  const std::string cut(127, 'p');
  ASSERT_TRUE(WriteFileBytes(folder_.File(cut), "<html></html>"));
  ChildProcess refused;
  ASSERT_TRUE(refused.Start(poller_, "-t " + cut + "p", folder_.Path()));
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
  ASSERT_NE(box.window, nullptr) << ui::DescribeScreen();
  EXPECT_EQ(box.text, "The file name is too long.");
  DWORD code = 0;
  ASSERT_TRUE(refused.Wait(10000, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_FALSE(FileExists(folder_.File("lotwise.txt")));
}
