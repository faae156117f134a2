// DownloadPage: one HTTP/1.0 GET over WinINet, following at most one redirect, with the body
// stored as text without its CRs.
#include "poller/fetch/download_page.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <string>

#include "common/unique_file.h"
#include "platform/framework_exception.h"
#include "platform/framework_init.h"
#include "poller/fetch/download_rules.h"
#include "poller/fetch/fetch_api.h"
#include "poller/fetch/internet_handle.h"
#include "poller/fetch/lotwise_exception.h"

namespace {

constexpr char kAgent[] = "Lotwise";
constexpr char kRequestHeaders[] = "Accept: text/*\r\nUser-Agent: Lotwise\r\n";
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT;
static_assert(kRequestFlags == 0xA0200000, "reload, existing connection, no automatic redirect");
constexpr DWORD_PTR kContext = 1;
constexpr DWORD kMaxHostLength = 2084;

struct Address {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::string host;
  INTERNET_PORT port = 0;
  std::string object;  // path and query: what the request line names
};

// Canonicalises the address and splits it into scheme, host, port and object. False when it
// cannot be split.
bool SplitAddress(const char* address, Address* parts) {
  // Canonicalising escapes unsafe characters: three for one at most.
  DWORD length = static_cast<DWORD>(std::strlen(address)) * 3 + 16;
  std::string canonical(length, '\0');
  if (!InternetCanonicalizeUrlA(address, &canonical[0], &length, ICU_BROWSER_MODE)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    canonical.assign(++length, '\0');
    if (!InternetCanonicalizeUrlA(address, &canonical[0], &length, ICU_BROWSER_MODE)) return false;
  }
  canonical.resize(std::strlen(canonical.c_str()));

  // Lengths without buffers: the parts come back as pointers into canonical.
  URL_COMPONENTSA components{};
  components.dwStructSize = sizeof components;
  components.dwSchemeLength = 1;
  components.dwHostNameLength = 1;
  components.dwUrlPathLength = 1;
  components.dwExtraInfoLength = 1;
  if (!InternetCrackUrlA(canonical.c_str(), static_cast<DWORD>(canonical.size()), 0, &components)) return false;
  if (components.dwHostNameLength > kMaxHostLength) return false;

  parts->scheme = components.nScheme;
  parts->host.assign(components.lpszHostName ? components.lpszHostName : "", components.dwHostNameLength);
  parts->port = components.nPort;
  parts->object.assign(components.lpszUrlPath ? components.lpszUrlPath : "", components.dwUrlPathLength);
  if (components.lpszExtraInfo) parts->object.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  // A fragment names a place in the page, not a page: it never goes to the server.
  parts->object = parts->object.substr(0, parts->object.find('#'));
  if (parts->object.empty() || parts->object[0] != '/') parts->object.insert(0, "/");
  return true;
}

void ShowError(const UserMessageSink& tell, const std::string& text) {
  if (tell)
    tell(text, "Error");
  else
    MessageBoxA(nullptr, text.c_str(), "Error", MB_OK);
}

// One download's internet objects. They nest (session, connection, request) and are members in
// that order, so every way out of Run releases them request first, each exactly once.
class Download {
 public:
  Download(const FetchApi& api, const UserMessageSink& tell, DownloadReport& report)
      : api_(api), tell_(tell), report_(report), session_(api), connection_(api), request_(api) {}
  int Run(const char* address, const char* path);

 private:
  void Send(const Address& target);
  void SendAgain();
  int ReadStatus();
  std::string RawHeaders();
  int CopyBody(UniqueFile file);

  // Raises code after noting why the page is missing.
  [[noreturn]] void Fail(DownloadFailure failure, int code);

  const FetchApi& api_;
  const UserMessageSink& tell_;
  DownloadReport& report_;
  InternetHandle session_;
  InternetHandle connection_;
  InternetHandle request_;
};

int Download::Run(const char* address, const char* path) {
  session_.Reset(api_.open(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session_) throw CInternetException(GetLastError());

  Address target;
  if (!SplitAddress(address, &target) || target.scheme != INTERNET_SCHEME_HTTP) {
    ShowError(tell_, "Error: can only use URLs beginning with http://");
    Fail(DownloadFailure::Refused, 1);
  }
  Send(target);
  int status = ReadStatus();

  if (status == HTTP_STATUS_DENIED) {
    // The prompt stores what the user enters on the request; the resend then carries it.
    const DWORD answer =
        api_.errorDialog(GetDesktopWindow(), request_.Get(), ERROR_INTERNET_INCORRECT_PASSWORD,
                         FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS, nullptr);
    if (answer != ERROR_INTERNET_FORCE_RETRY) Fail(DownloadFailure::Credentials, 1);
    SendAgain();
    status = ReadStatus();  // not tested for 401 again: whatever it is goes on
  }

  if (status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT || status == HTTP_STATUS_REDIRECT_METHOD) {
    std::string location;
    // Whatever goes wrong from here on, the redirect is what could not be followed.
    report_.failure = DownloadFailure::Redirect;
    if (!FindRedirectAddress(RawHeaders(), &location)) throw CLotwiseException(2);
    request_.Reset();
    connection_.Reset();
    Address next;
    if (!SplitAddress(location.c_str(), &next) || next.scheme != INTERNET_SCHEME_HTTP) throw CLotwiseException(2);
    Send(next);
    status = ReadStatus();
    if (status != HTTP_STATUS_OK) throw CLotwiseException(2);  // so a second redirect ends here
    report_.failure = DownloadFailure::None;
  }
  report_.status = status;

  // Every other status (404, 500, a 401 after the retry) has a body worth keeping.
  UniqueFile file(std::fopen(path, "w"));
  if (!file) {
    ShowError(tell_, std::string("Error: The file ") + path + " was not created\n");
    report_.failure = DownloadFailure::File;
    return -1;
  }
  return CopyBody(std::move(file));
}

void Download::Fail(DownloadFailure failure, int code) {
  report_.failure = failure;
  throw CLotwiseException(code);
}

// Connects to the target's server and sends the GET with the fixed headers.
void Download::Send(const Address& target) {
  connection_.Reset(api_.connect(session_.Get(), target.host.c_str(), target.port, nullptr, nullptr,
                                 INTERNET_SERVICE_HTTP, 0, kContext));
  if (!connection_) throw CInternetException(GetLastError());
  request_.Reset(api_.openRequest(connection_.Get(), "GET", target.object.c_str(), "HTTP/1.0", nullptr, nullptr,
                                  kRequestFlags, kContext));
  if (!request_) throw CInternetException(GetLastError());
  api_.addRequestHeaders(request_.Get(), kRequestHeaders, static_cast<DWORD>(std::strlen(kRequestHeaders)),
                         HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  SendAgain();
}

void Download::SendAgain() {
  if (!api_.sendRequest(request_.Get(), nullptr, 0, nullptr, 0)) throw CInternetException(GetLastError());
}

// A status that cannot be read, or is not a number, fails like any other internet call.
int Download::ReadStatus() {
  char text[32] = {};
  DWORD length = sizeof text - 1;
  if (!api_.queryInfo(request_.Get(), HTTP_QUERY_STATUS_CODE, text, &length, nullptr))
    throw CInternetException(GetLastError());
  int status = 0;
  if (!ParseStatusCode(std::string_view(text, std::strlen(text)), &status))
    throw CInternetException(ERROR_HTTP_INVALID_SERVER_RESPONSE);
  return status;
}

// The whole answer header block with CR LF line ends; empty when it cannot be read.
std::string Download::RawHeaders() {
  std::string headers(4096, '\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD size = static_cast<DWORD>(headers.size());
    if (api_.queryInfo(request_.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, &headers[0], &size, nullptr)) {
      headers.resize(std::strlen(headers.c_str()));
      return headers;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < headers.size()) break;
    headers.assign(size + 1, '\0');  // the size it asked for, and room for the NUL
  }
  return {};
}

// Copies the body piece by piece. The file is closed on every way out; after a failed read it
// keeps what was written before.
int Download::CopyBody(UniqueFile file) {
  DWORD readError = 0;
  BodyPieces pieces([&](char* buffer, size_t size, size_t* got) {
    DWORD read = 0;
    if (!api_.readFile(request_.Get(), buffer, static_cast<DWORD>(size), &read)) {
      readError = GetLastError();
      return false;
    }
    *got = read;
    return true;
  });
  char piece[kDownloadPieceBufferSize];
  size_t length = 0;
  for (;;) {
    const BodyPieces::Outcome outcome = pieces.Next(piece, &length);
    if (outcome == BodyPieces::Outcome::End) break;
    if (outcome == BodyPieces::Outcome::Failed) throw CInternetException(readError);
    // By length, not as a C string: a NUL byte of the body is stored like any other.
    if (std::fwrite(piece, 1, length, file.get()) != length) Fail(DownloadFailure::File, 2);
  }
  // A full disk shows only at the flush: a page cut short is not reported as a success.
  if (!CloseChecked(std::move(file))) Fail(DownloadFailure::File, 2);
  return 0;
}

}  // namespace

const FetchApi& RealFetchApi() {
  static const FetchApi api = {InitFramework,          InternetOpenA,      InternetConnectA, HttpOpenRequestA,
                               HttpAddRequestHeadersA, HttpSendRequestA,   HttpQueryInfoA,   InternetErrorDlg,
                               InternetReadFile,       InternetCloseHandle};
  return api;
}

int DownloadPageWith(const FetchApi& api, const char* address, const char* path, const UserMessageSink& tell,
                     DownloadReport* report) {
  DownloadReport ignored;
  DownloadReport& noted = report ? *report : ignored;
  noted = DownloadReport();
  if (!api.initFramework(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0)) {
    ShowError(tell, "MFC Failed to initialize.");
    noted.failure = DownloadFailure::Connection;  // the internet layer cannot be used at all
    return 1;
  }
  try {
    Download download(api, tell, noted);
    return download.Run(address, path);
  } catch (const CLotwiseException& e) {
    return e.ErrorCode();
  } catch (const CInternetException& e) {
    char text[1024];  // fetched for a debugger's eyes; the callers judge by the file alone
    e.GetErrorMessage(text, sizeof text);
    // No connection, no answer or an answer dropped; during a redirect, the redirect failed.
    if (noted.failure == DownloadFailure::None) noted.failure = DownloadFailure::Connection;
    return 2;
  }
}

int DownloadPage(const char* address, const char* path, const UserMessageSink& tell, DownloadReport* report) {
  return DownloadPageWith(RealFetchApi(), address, path, tell, report);
}
