// "lotwise.exe -u" under Wine: the update-check page reaches the fixture site through the
// system proxy setting, which the download's preconfigured access honours.
#include "poller/fetch/update_check.h"

#include <gtest/gtest.h>
#include <winsock2.h>  // before windows.h, which the other headers bring

#include <set>

#include "poller/fetch/tests/fetch_test_util.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/test_support.h"

using fetch_test::Answer;
using fetch_test::OnDisk;
using fetch_test::Shown;
using testing_support::FileExists;
using testing_support::ReadFileBytes;

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kProxyValues[] = {"ProxyEnable", "ProxyServer", "ProxyOverride"};

// Points the current user's proxy setting at host:port; puts back exactly what was there.
class ScopedProxy {
 public:
  explicit ScopedProxy(const std::string& hostAndPort) {
    for (const char* name : kProxyValues)
      saved_.push_back(testing_support::QueryValue(HKEY_CURRENT_USER, kInternetSettings, name));
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    const DWORD enable = 1;
    RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(hostAndPort.c_str()),
                   static_cast<DWORD>(hostAndPort.size() + 1));
    RegDeleteValueA(key, "ProxyOverride");
    RegCloseKey(key);
  }
  ~ScopedProxy() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    for (size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i].exists)
        RegSetValueExA(key, kProxyValues[i], 0, saved_[i].type, reinterpret_cast<const BYTE*>(saved_[i].data.data()),
                       static_cast<DWORD>(saved_[i].data.size()));
      else
        RegDeleteValueA(key, kProxyValues[i]);
    }
    RegCloseKey(key);
  }
  ScopedProxy(const ScopedProxy&) = delete;
  ScopedProxy& operator=(const ScopedProxy&) = delete;

 private:
  std::vector<testing_support::RegistryValue> saved_;
};

// A loopback port with nothing listening on it.
int ClosedPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);
  WSACleanup();
  return ntohs(address.sin_port);
}

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
  EXPECT_EQ(windows_, std::set<std::string>{"Error"});
  site_.TakeRequests();
}

}  // namespace
