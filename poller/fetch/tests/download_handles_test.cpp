// The download on a stand-in internet layer: every handle it opens is closed exactly once, in
// the order request, connection, session, on every path; the fixed call parameters; failures
// the real layer rarely gives (status unreadable, framework that cannot start).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "poller/fetch/fetch_api.h"
#include "poller/fetch/tests/fetch_test_util.h"
#include "tests/support/test_support.h"

using fetch_test::Outcome;
using testing_support::FileExists;
using testing_support::ReadFileBytes;

namespace {

// What one send gets back.
struct Exchange {
  bool sendFails = false;
  const char* status = "200";  // null: the status cannot be read
  std::string rawHeaders;      // empty: the raw header query fails
  std::string body;
  size_t readFailsAfter = std::string::npos;  // body bytes delivered before the read fails
};

Exchange Status(const char* status, const std::string& body = "") {
  Exchange exchange;
  exchange.status = status;
  exchange.body = body;
  return exchange;
}
Exchange SendFails() {
  Exchange exchange;
  exchange.sendFails = true;
  return exchange;
}
Exchange Moved(const char* status, const char* to) {
  Exchange exchange = Status(status);
  exchange.rawHeaders = std::string("HTTP/1.0 ") + status + " Moved\r\nLocation: " + to + "\r\n\r\n";
  return exchange;
}
Exchange ReadFails(const std::string& body, size_t after) {
  Exchange exchange = Status("200", body);
  exchange.readFailsAfter = after;
  return exchange;
}

Exchange Ok() { return Status("200", "<html>\r\npage\r\n</html>\r\n"); }
Exchange Redirected() { return Moved("302", "http://other.example/next.html"); }
Exchange Denied() { return Status("401", "denied"); }

// The scripted layer. Function pointers carry no state, so it lives here, one test at a time.
struct FakeNet {
  bool frameworkFails = false;
  bool openFails = false;
  int connectFailsAt = 0;  // 1-based count of the failing call; 0: none fails
  int openRequestFailsAt = 0;
  DWORD dialogAnswer = 0;
  std::vector<Exchange> exchanges;

  // What happened.
  enum Kind { Session, Connection, Request };
  struct Handle {
    Kind kind;
    HINTERNET parent;
    int closes = 0;
  };
  std::map<HINTERNET, Handle> handles;
  std::vector<HINTERNET> closeOrder;
  std::vector<std::string> misuse;  // calls on closed, unknown or wrongly nested handles
  std::vector<std::string> calls;   // parameters worth checking
  int connects = 0;
  int openRequests = 0;
  size_t sends = 0;
  size_t bodyOffset = 0;
  uintptr_t nextHandle = 0x100;

  HINTERNET Make(Kind kind, HINTERNET parent) {
    HINTERNET handle = reinterpret_cast<HINTERNET>(nextHandle += 4);
    handles[handle] = {kind, parent};
    return handle;
  }
  bool Live(HINTERNET handle, Kind kind, const char* call) {
    auto found = handles.find(handle);
    if (found == handles.end() || found->second.kind != kind || found->second.closes != 0) {
      misuse.push_back(std::string(call) + " on a handle that is not a live one of its kind");
      return false;
    }
    return true;
  }
  const Exchange* Current() const { return sends == 0 ? nullptr : &exchanges[std::min(sends, exchanges.size()) - 1]; }
};

FakeNet* g_net = nullptr;

bool FakeInitFramework(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState) {
  g_net->calls.push_back("init " + std::to_string(instance == GetModuleHandleA(nullptr)) + " " +
                       std::to_string(previous == nullptr) + " " + std::to_string(commandLine == GetCommandLineA()) +
                       " " + std::to_string(showState));
  return !g_net->frameworkFails;
}

HINTERNET WINAPI FakeOpen(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags) {
  g_net->calls.push_back(std::string("open ") + agent + " " + std::to_string(access) + " " +
                       std::to_string(proxy == nullptr) + std::to_string(bypass == nullptr) + " " +
                       std::to_string(flags));
  if (g_net->openFails) {
    SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return nullptr;
  }
  return g_net->Make(FakeNet::Session, nullptr);
}

HINTERNET WINAPI FakeConnect(HINTERNET session, LPCSTR host, INTERNET_PORT port, LPCSTR user, LPCSTR password,
                             DWORD service, DWORD flags, DWORD_PTR context) {
  g_net->Live(session, FakeNet::Session, "InternetConnect");
  g_net->calls.push_back(std::string("connect ") + host + ":" + std::to_string(port) + " " +
                       std::to_string(user == nullptr) + std::to_string(password == nullptr) + " " +
                       std::to_string(service) + " " + std::to_string(flags) + " " + std::to_string(context));
  if (++g_net->connects == g_net->connectFailsAt) {
    SetLastError(ERROR_INTERNET_NAME_NOT_RESOLVED);
    return nullptr;
  }
  return g_net->Make(FakeNet::Connection, session);
}

HINTERNET WINAPI FakeOpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version, LPCSTR referrer,
                                 LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) {
  g_net->Live(connection, FakeNet::Connection, "HttpOpenRequest");
  char hexFlags[16];
  std::snprintf(hexFlags, sizeof hexFlags, "%08lX", static_cast<unsigned long>(flags));
  g_net->calls.push_back(std::string("request ") + verb + " " + object + " " + version + " " +
                       std::to_string(referrer == nullptr) + std::to_string(acceptTypes == nullptr) + " " + hexFlags +
                       " " + std::to_string(context));
  if (++g_net->openRequests == g_net->openRequestFailsAt) {
    SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return nullptr;
  }
  return g_net->Make(FakeNet::Request, connection);
}

BOOL WINAPI FakeAddHeaders(HINTERNET request, LPCSTR headers, DWORD length, DWORD modifiers) {
  g_net->Live(request, FakeNet::Request, "HttpAddRequestHeaders");
  g_net->calls.push_back("headers " + std::string(headers, length) + "|" + std::to_string(modifiers));
  return TRUE;
}

BOOL WINAPI FakeSend(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID body, DWORD bodyLength) {
  g_net->Live(request, FakeNet::Request, "HttpSendRequest");
  if (headers || headersLength || body || bodyLength) g_net->misuse.push_back("send with extra headers or a body");
  ++g_net->sends;
  g_net->bodyOffset = 0;
  if (g_net->sends > g_net->exchanges.size() || g_net->Current()->sendFails) {
    SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FakeQueryInfo(HINTERNET request, DWORD level, LPVOID buffer, LPDWORD length, LPDWORD index) {
  g_net->Live(request, FakeNet::Request, "HttpQueryInfo");
  if (index) g_net->misuse.push_back("query with an index");
  const Exchange* exchange = g_net->Current();
  const char* text = nullptr;
  if (level == HTTP_QUERY_STATUS_CODE) text = exchange->status;
  if (level == HTTP_QUERY_RAW_HEADERS_CRLF && !exchange->rawHeaders.empty()) text = exchange->rawHeaders.c_str();
  if (!text) {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return FALSE;
  }
  const DWORD needed = static_cast<DWORD>(std::strlen(text));
  if (!buffer || *length <= needed) {
    *length = needed + 1;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, text, needed + 1);
  *length = needed;
  return TRUE;
}

DWORD WINAPI FakeErrorDialog(HWND parent, HINTERNET request, DWORD error, DWORD flags, LPVOID* data) {
  g_net->Live(request, FakeNet::Request, "InternetErrorDlg");
  g_net->calls.push_back("prompt " + std::to_string(parent == GetDesktopWindow()) + " " + std::to_string(error) + " " +
                       std::to_string(flags) + " " + std::to_string(data == nullptr));
  return g_net->dialogAnswer;
}

BOOL WINAPI FakeReadFile(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read) {
  g_net->Live(request, FakeNet::Request, "InternetReadFile");
  const Exchange* exchange = g_net->Current();
  if (g_net->bodyOffset >= exchange->readFailsAfter) {
    SetLastError(ERROR_INTERNET_CONNECTION_RESET);
    return FALSE;
  }
  size_t n = std::min<size_t>({size, exchange->body.size() - g_net->bodyOffset, 1000});
  n = std::min(n, exchange->readFailsAfter - g_net->bodyOffset);
  std::memcpy(buffer, exchange->body.data() + g_net->bodyOffset, n);
  g_net->bodyOffset += n;
  *read = static_cast<DWORD>(n);
  return TRUE;
}

BOOL WINAPI FakeClose(HINTERNET handle) {
  auto found = g_net->handles.find(handle);
  if (found == g_net->handles.end()) {
    g_net->misuse.push_back("close of an unknown handle");
    return FALSE;
  }
  if (found->second.closes++ != 0) g_net->misuse.push_back("second close of a handle");
  for (const auto& other : g_net->handles)
    if (other.second.parent == handle && other.second.closes == 0) g_net->misuse.push_back("close before its child");
  g_net->closeOrder.push_back(handle);
  return TRUE;
}

constexpr FetchApi kFakeApi = {FakeInitFramework, FakeOpen,      FakeConnect,     FakeOpenRequest, FakeAddHeaders,
                               FakeSend,          FakeQueryInfo, FakeErrorDialog, FakeReadFile,    FakeClose};

class DownloadHandlesTest : public ::testing::Test {
 protected:
  testing_support::ScratchFolder folder_{"handles"};
  std::string target_ = folder_.File("temphtml.html");
  FakeNet fake_;
  void SetUp() override { g_net = &fake_; }
  void TearDown() override { g_net = nullptr; }
};

TEST_F(DownloadHandlesTest, EveryHandleIsClosedExactlyOnceOnEveryPath) {
  constexpr DWORD kRetry = ERROR_INTERNET_FORCE_RETRY;
  constexpr DWORD kCancel = 0;
  const char* const kHttp = "http://a.example/";
  const struct {
    const char* name;
    const char* address;
    bool openFails;
    int connectFailsAt;  // which connect fails (1 or 2); 0: none
    int requestFailsAt;  // which request cannot be opened
    DWORD prompt;        // the credentials prompt's answer
    std::vector<Exchange> exchanges;
    int result;
    bool fileExists;
    size_t messages;
  } cases[] = {
      // clang-format off
      {"session fails",               kHttp, true,  0, 0, kCancel, {},                                 2, false, 0},
      {"not http",                    "https://a.example/", false, 0, 0, kCancel, {Ok()},              1, false, 1},
      {"connect fails",               kHttp, false, 1, 0, kCancel, {Ok()},                             2, false, 0},
      {"request fails",               kHttp, false, 0, 1, kCancel, {Ok()},                             2, false, 0},
      {"send fails",                  kHttp, false, 0, 0, kCancel, {SendFails()},                      2, false, 0},
      {"status unreadable",           kHttp, false, 0, 0, kCancel, {Status(nullptr)},                  2, false, 0},
      {"status not a number",         kHttp, false, 0, 0, kCancel, {Status("2x0")},                    2, false, 0},
      {"401 declined",                kHttp, false, 0, 0, kCancel, {Denied()},                         1, false, 0},
      {"401 retried, send fails",     kHttp, false, 0, 0, kRetry,  {Denied(), SendFails()},            2, false, 0},
      {"401 retried, 200",            kHttp, false, 0, 0, kRetry,  {Denied(), Ok()},                   0, true,  0},
      {"401 retried, redirect",       kHttp, false, 0, 0, kRetry,  {Denied(), Redirected(), Ok()},     0, true,  0},
      {"redirect headers unreadable", kHttp, false, 0, 0, kCancel, {Status("302")},                    2, false, 0},
      {"redirect connect fails",      kHttp, false, 2, 0, kCancel, {Redirected(), Ok()},               2, false, 0},
      {"redirect request fails",      kHttp, false, 0, 2, kCancel, {Redirected(), Ok()},               2, false, 0},
      {"redirect send fails",         kHttp, false, 0, 0, kCancel, {Redirected(), SendFails()},        2, false, 0},
      {"redirect to 404",             kHttp, false, 0, 0, kCancel, {Redirected(), Status("404")},      2, false, 0},
      {"redirect to https",           kHttp, false, 0, 0, kCancel, {Moved("301", "https://b.example/")}, 2, false, 0},
      {"redirect followed",           kHttp, false, 0, 0, kCancel, {Redirected(), Ok()},               0, true,  0},
      {"read fails midway",           kHttp, false, 0, 0, kCancel, {ReadFails(std::string(5000, 'b'), 2500)}, 2, true, 0},
      {"stored",                      kHttp, false, 0, 0, kCancel, {Ok()},                             0, true,  0},
      // clang-format on
  };
  for (const auto& c : cases) {
    fake_ = FakeNet();
    fake_.openFails = c.openFails;
    fake_.connectFailsAt = c.connectFailsAt;
    fake_.openRequestFailsAt = c.requestFailsAt;
    fake_.dialogAnswer = c.prompt;
    fake_.exchanges = c.exchanges;
    DeleteFileA(target_.c_str());
    const Outcome outcome = fetch_test::RunDownload(kFakeApi, c.address, target_);
    EXPECT_EQ(outcome.result, c.result) << c.name;
    EXPECT_EQ(FileExists(target_), c.fileExists) << c.name;
    EXPECT_EQ(outcome.shown.boxes.size(), c.messages) << c.name << ": " << outcome.shown.Describe();
    EXPECT_TRUE(fake_.misuse.empty()) << c.name << ": " << fake_.misuse.front();
    for (const auto& handle : fake_.handles) EXPECT_EQ(handle.second.closes, 1) << c.name;
    EXPECT_EQ(fake_.closeOrder.size(), fake_.handles.size()) << c.name;
    if (!fake_.closeOrder.empty()) {
      EXPECT_EQ(fake_.handles[fake_.closeOrder.back()].kind, FakeNet::Session) << c.name << ": the session goes last";
    }
  }
}

TEST_F(DownloadHandlesTest, FailedReadKeepsThePartAlreadyWritten) {
  std::string body;
  for (int i = 0; i < 300; ++i) body += "row " + std::to_string(i) + "\r\n";
  fake_.exchanges = {ReadFails(body, 1500)};
  EXPECT_EQ(fetch_test::RunDownload(kFakeApi, "http://a.example/", target_).result, 2);
  std::string expected;
  for (char c : body.substr(0, 1500))
    if (c != '\r') expected += c;
  EXPECT_EQ(ReadFileBytes(target_), fetch_test::OnDisk(expected));
}

TEST_F(DownloadHandlesTest, FileThatCannotBeCreatedStillReleasesEverything) {
  fake_.exchanges = {Status("200", "page")};
  const std::string path = folder_.File("no-such-folder\\temphtml.html");
  const Outcome outcome = fetch_test::RunDownload(kFakeApi, "http://a.example/", path);
  EXPECT_EQ(outcome.result, -1);
  ASSERT_EQ(outcome.shown.boxes.size(), 1u);
  EXPECT_EQ(outcome.shown.boxes[0].text, "Error: The file " + path + " was not created\n");
  EXPECT_EQ(fake_.closeOrder.size(), 3u);
  EXPECT_TRUE(fake_.misuse.empty());
}

TEST_F(DownloadHandlesTest, CallsCarryTheFixedParameters) {
  fake_.dialogAnswer = ERROR_INTERNET_FORCE_RETRY;
  fake_.exchanges = {Status("401"), Moved("303", "http://b.example:8080/next?x=1"), Status("200", "ok")};
  EXPECT_EQ(fetch_test::RunDownload(kFakeApi, "http://a.example/list?q=lamp&page=2", target_).result, 0);
  const std::string headers =
      "headers Accept: text/*\r\nUser-Agent: Lotwise\r\n|" + std::to_string(HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  const std::vector<std::string> expected = {
      "init 1 1 1 0",
      "open Lotwise " + std::to_string(INTERNET_OPEN_TYPE_PRECONFIG) + " 11 0",
      "connect a.example:80 11 " + std::to_string(INTERNET_SERVICE_HTTP) + " 0 1",
      "request GET /list?q=lamp&page=2 HTTP/1.0 11 A0200000 1",
      headers,
      "prompt 1 12014 " + std::to_string(FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS) +
          " 1",
      "connect b.example:8080 11 " + std::to_string(INTERNET_SERVICE_HTTP) + " 0 1",
      "request GET /next?x=1 HTTP/1.0 11 A0200000 1",
      headers,
  };
  EXPECT_EQ(fake_.calls, expected);
  EXPECT_EQ(fake_.sends, 3u) << "the first request is sent twice, the redirected one once";
}

TEST_F(DownloadHandlesTest, FrameworkThatCannotStartShowsItsMessageAndDoesNothingElse) {
  fake_.frameworkFails = true;
  fake_.exchanges = {Status("200")};
  const Outcome outcome = fetch_test::RunDownload(kFakeApi, "http://a.example/", target_);
  EXPECT_EQ(outcome.result, 1);
  ASSERT_EQ(outcome.shown.boxes.size(), 1u) << outcome.shown.Describe();
  EXPECT_EQ(outcome.shown.boxes[0].caption, "Error");
  EXPECT_EQ(outcome.shown.boxes[0].text, "MFC Failed to initialize.");
  EXPECT_EQ(fake_.calls.size(), 1u) << "nothing after the initialisation";
  EXPECT_TRUE(fake_.handles.empty());
  EXPECT_FALSE(FileExists(target_));
}

}  // namespace
