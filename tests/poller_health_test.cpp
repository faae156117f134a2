// Search health end to end under Wine: one-pass runs against the fixture site with pop-ups on,
// the searchhealth.txt line after every pass, and the one message after the pass that makes a
// search stop finding items or keep failing.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "common/poller_instance.h"
#include "common/settings_store.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/compass_page.h"
#include "tests/support/scoped_proxy.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

// The compass page with its item links changed, as a site that moved to new pages would
// serve it: the parser finds no item on it.
std::string MovedLinksPage() {
  std::string page = kCompassPage;
  for (size_t at; (at = page.find("rUreISAPI.dll?ViewItem&item=")) != std::string::npos;)
    page.replace(at, std::string("rUreISAPI.dll?ViewItem&item=").size(), "itm/");
  return page;
}

class PollerHealth : public ::testing::Test {
 protected:
  ScopedRegistryKey settings_{kSettingsKeyPath};
  ScratchFolder folder_{"health"};
  fixture_site::Site site_;

  void SetUp() override {
    ASSERT_TRUE(site_.Ready()) << site_.ServerLog();
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "1");
  }

  // The search's target is 1.00: its items are never bargains, so no alert comes between.
  void WriteSearch(const std::string& description, const std::string& address) {
    WriteFileBytes(folder_.File("lotwise2.ini"), "\"" + description + "\" " + address + " 0 0 1 1\r\n");
  }

  // One "-r" pass. With a message expected, its text once the pass turn is free again, after
  // which no other follows; without one, the pass must end on its own.
  std::string Pass(bool messageExpected) {
    ChildProcess pass;
    EXPECT_TRUE(pass.Start(ProgramPath("lotwise.exe"), "-r", folder_.Path()));
    std::string text;
    if (messageExpected) {
      HWND box = ui::WaitForWindow("Lotwise", 30000);
      EXPECT_NE(box, nullptr) << ui::DescribeScreen();
      if (box) {
        EXPECT_TRUE(PassTurnIsFree()) << "the message waits inside the pass turn";
        text = ui::ReadMessageBox(box).text;
        ui::Click(box, IDOK);
      }
    }
    DWORD code = 1;
    EXPECT_TRUE(pass.Wait(30000, &code)) << (messageExpected ? "a second message?\n" : "an unexpected message?\n")
                                         << ui::DescribeScreen();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ui::FindTopWindow("Lotwise"), nullptr);
    return text;
  }

  static bool PassTurnIsFree() {
    HANDLE guard = OpenMutexA(SYNCHRONIZE, FALSE, kPassGuardName);
    if (!guard) return true;
    const DWORD waited = WaitForSingleObject(guard, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(guard);
    CloseHandle(guard);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }

  std::string HealthFile() const { return ReadFileBytes(folder_.File("searchhealth.txt")); }
  // The pass log's time of the last pass, as the health line gives it.
  std::string LastSearch() const {
    std::smatch match;
    const std::string log = ReadFileBytes(folder_.File("lotwise.txt"));
    return std::regex_search(log, match, std::regex("Last Search: ([0-9/]+ [0-9:]+)\r\n")) ? match[1].str() : "?";
  }
};

}  // namespace

TEST_F(PollerHealth, StoppedFindingItemsIsToldOnceAfterTheThirdEmptyPassAndClearsWhenItemsReturn) {
  const std::string address = site_.Address("/health/compass.html");
  const std::string prefix = "brass compass\t" + address + "\t";
  WriteSearch("brass compass", address);

  ASSERT_TRUE(site_.Put("/health/compass.html", kCompassPage));
  EXPECT_EQ(Pass(false), "");
  const std::string found = LastSearch();
  EXPECT_EQ(HealthFile(), prefix + "items 2\t1\t" + found + "\t0\r\n");

  ASSERT_TRUE(site_.Put("/health/compass.html", MovedLinksPage()));
  for (int empty = 1; empty <= 4; ++empty) {
    SCOPED_TRACE("empty pass " + std::to_string(empty));
    const std::string text = Pass(empty == 3);
    if (empty == 3) {
      EXPECT_EQ(text,
                "These searches have stopped finding items:\nbrass compass\nThe site may have changed its pages, or "
                "the search address may no longer be right. Open Lotwise Manager to check them.");
    }
    EXPECT_EQ(HealthFile(),
              prefix + "none\t" + std::to_string(empty) + "\t" + found + "\t" + (empty >= 3 ? "1" : "0") + "\r\n");
  }

  ASSERT_TRUE(site_.Put("/health/compass.html", kCompassPage));
  EXPECT_EQ(Pass(false), "");
  EXPECT_EQ(HealthFile(), prefix + "items 2\t1\t" + LastSearch() + "\t0\r\n");
}

TEST_F(PollerHealth, KeepsFailingIsToldOnceWithItsCauseAfter500sAndARefusedConnection) {
  // Through the proxy setting the search's address reaches the site; without it, nothing
  // listens there.
  const std::string address = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/health/failing.html";
  const std::string prefix = "film camera\t" + address + "\t";
  const std::string answer = site_.RootFile("/health/failing.html.http");
  WriteSearch("film camera", address);
  {
    ScopedProxy proxy(site_.HostAndPort());
    ASSERT_TRUE(site_.Put("/health/failing.html.http",
                          "HTTP/1.0 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n<html>oops</html>\r\n"));
    for (int failed = 1; failed <= 2; ++failed) {
      EXPECT_EQ(Pass(false), "");
      EXPECT_EQ(HealthFile(), prefix + "failed status 500\t" + std::to_string(failed) + "\tnever\t0\r\n");
    }
  }
  EXPECT_EQ(Pass(true), "These searches keep failing:\nfilm camera (connection)");
  EXPECT_EQ(HealthFile(), prefix + "failed connection\t3\tnever\t1\r\n");
  EXPECT_EQ(Pass(false), "");
  EXPECT_EQ(HealthFile(), prefix + "failed connection\t4\tnever\t1\r\n");

  ScopedProxy proxy(site_.HostAndPort());
  DeleteFileA(answer.c_str());
  ASSERT_TRUE(site_.Put("/health/failing.html", kCompassPage));
  EXPECT_EQ(Pass(false), "");
  EXPECT_EQ(HealthFile(), prefix + "items 2\t1\t" + LastSearch() + "\t0\r\n");
}

TEST_F(PollerHealth, DamagedFileIsRebuiltAndTestPassesLeaveItAlone) {
  const std::string address = site_.Address("/health/compass.html");
  ASSERT_TRUE(site_.Put("/health/compass.html", kCompassPage));
  WriteSearch("brass compass", address);
  // Cut off in its third field, with a NUL byte: read as nothing, rebuilt by the pass.
  WriteFileBytes(folder_.File("searchhealth.txt"), "brass compass\t" + address + std::string("\tnone\t7\0\t", 9));
  EXPECT_EQ(Pass(false), "");
  EXPECT_EQ(HealthFile(), "brass compass\t" + address + "\titems 2\t1\t" + LastSearch() + "\t0\r\n");

  const std::string before = HealthFile();
  WriteFileBytes(folder_.File("page.html"), MovedLinksPage());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(RunProgram(ProgramPath("lotwise.exe"), "-t page.html", folder_.Path()), 0);
  EXPECT_EQ(HealthFile(), before);
}
