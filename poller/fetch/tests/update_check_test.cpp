// "lotwise.exe -u" under Wine: the update-check page reaches the fixture site through the
// system proxy setting, which the download's preconfigured access honours.
#include "poller/fetch/update_check.h"

#include <gtest/gtest.h>

#include <set>

#include "poller/fetch/tests/fetch_test_util.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/scoped_proxy.h"
#include "tests/support/test_support.h"

using fetch_test::Answer;
using fetch_test::OnDisk;
using fetch_test::Shown;
using testing_support::ClosedPort;
using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::ScopedProxy;

namespace {

// The path part of the update-check address, which a proxy request names in full.
std::string UpdatePath() {
  const std::string address = kUpdateCheckAddress;
  return address.substr(address.find('/', std::string("http://").size()));
}

// A request to a proxy names the whole address; the internet layer spells the port out.
std::string ProxyRequestLine(const std::string& address) {
  std::string named = address;
  const size_t hostEnd = named.find('/', std::string("http://").size());
  if (named.find(':', std::string("http://").size()) > hostEnd) named.insert(hostEnd, ":80");
  return "GET " + named + " HTTP/1.0";
}

struct WindowSearch {
  DWORD processId;
  std::set<std::string>* captions;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->captions->insert(ui::WindowText(window));
  return TRUE;
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  fixture_site::Site site_;
  testing_support::ScratchFolder folder_{"update"};
  std::string stored_ = folder_.File("version.html");

  void SetUp() override {
    ASSERT_TRUE(site_.Ready()) << "the fixture site did not start; its log:\n" << site_.ServerLog();
    site_.TakeRequests();
  }
  void TearDown() override { DeleteFileA(site_.RootFile(UpdatePath() + ".http").c_str()); }

  // Runs "lotwise.exe -u" in the scratch folder, answering what it shows; its exit code.
  // windows_ gets the caption of every window the poller showed.
  long RunUpdateCheck(Shown* shown) {
    testing_support::ChildProcess poller;
    if (!poller.Start(testing_support::ProgramPath("lotwise.exe"), "-u", folder_.Path())) return -2;
    DWORD code = 0;
    windows_.clear();
    const bool ended = fetch_test::WatchScreen(
        [&] {
          NoteWindowsOf(poller.Id());
          return poller.Wait(0, &code);
        },
        shown, nullptr, 30000);
    return ended ? static_cast<long>(code) : -2;
  }

  void NoteWindowsOf(DWORD processId) {
    WindowSearch search{processId, &windows_};
    EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&search));
  }

  std::set<std::string> windows_;
};

TEST_F(UpdateCheckTest, StoresTheSitePageAsVersionHtmlAndReplacesItNextTime) {
  ScopedProxy proxy(site_.HostAndPort());
  ASSERT_TRUE(testing_support::WriteFileBytes(stored_, "old version page\r\n"));
  for (const char* version : {"2.0", "2.1"}) {
    ASSERT_TRUE(site_.Put(UpdatePath(), std::string("<html>\r\nLotwise ") + version + "\r\n</html>\r\n"));
    Shown shown;
    EXPECT_EQ(RunUpdateCheck(&shown), 0);
    EXPECT_TRUE(shown.boxes.empty()) << shown.Describe();
    EXPECT_EQ(ReadFileBytes(stored_), OnDisk(std::string("<html>\nLotwise ") + version + "\n</html>\n"));
    const auto requests = site_.TakeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].RequestLine(), ProxyRequestLine(kUpdateCheckAddress));
  }
}

TEST_F(UpdateCheckTest, RedirectedUpdatePageIsStoredFromItsNewPlace) {
  ScopedProxy proxy(site_.HostAndPort());
  const std::string moved = site_.Address("/moved/version.html", "127.0.0.2");
  ASSERT_TRUE(site_.Put("/moved/version.html", "<html>moved version</html>\r\n"));
  ASSERT_TRUE(site_.Put(UpdatePath() + ".http", Answer("HTTP/1.0 302 Found", {"Location: " + moved}, "")));
  Shown shown;
  EXPECT_EQ(RunUpdateCheck(&shown), 0);
  EXPECT_TRUE(shown.boxes.empty()) << shown.Describe();
  EXPECT_EQ(ReadFileBytes(stored_), "<html>moved version</html>\r\n");
  const auto requests = site_.TakeRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].RequestLine(), ProxyRequestLine(moved));
}

TEST_F(UpdateCheckTest, WithoutAReachableServerTheOldPageGoesAndNothingIsShown) {
  ScopedProxy proxy("127.0.0.1:" + std::to_string(ClosedPort()));
  ASSERT_TRUE(testing_support::WriteFileBytes(stored_, "old version page\r\n"));
  Shown shown;
  EXPECT_EQ(RunUpdateCheck(&shown), 0);
  EXPECT_TRUE(shown.boxes.empty()) << shown.Describe();
  EXPECT_TRUE(windows_.empty()) << "the poller showed a window: " << *windows_.begin();
  EXPECT_FALSE(FileExists(stored_));
  EXPECT_TRUE(site_.TakeRequests().empty());
}

TEST_F(UpdateCheckTest, VersionHtmlThatCannotBeCreatedIsReported) {
  ScopedProxy proxy(site_.HostAndPort());
  ASSERT_TRUE(site_.Put(UpdatePath(), "<html>2.0</html>\r\n"));
  ASSERT_TRUE(CreateDirectoryA(stored_.c_str(), nullptr));  // a folder in its place: neither deleted nor opened
  Shown shown;
  EXPECT_EQ(RunUpdateCheck(&shown), 0);
  ASSERT_EQ(shown.boxes.size(), 1u) << shown.Describe();
  EXPECT_EQ(shown.boxes[0].caption, "Error");
  EXPECT_EQ(shown.boxes[0].text, "Error: The file version.html was not created\n");
  // The box may be answered before a look at the poller's windows sees it: no other window.
  windows_.erase("Error");
  EXPECT_TRUE(windows_.empty()) << "the poller showed a window: " << *windows_.begin();
  site_.TakeRequests();
}

}  // namespace
