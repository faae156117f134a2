// The calls the download makes on the framework and the internet layer, gathered in one table
// so that tests can stand in for them and count every handle opened and closed.
#pragma once
#include <windows.h>
#include <wininet.h>

#include "platform/framework_init.h"
#include "poller/fetch/download_page.h"

struct FetchApi {
  decltype(&InitFramework) initFramework;
  decltype(&InternetOpenA) open;
  decltype(&InternetConnectA) connect;
  decltype(&HttpOpenRequestA) openRequest;
  decltype(&HttpAddRequestHeadersA) addRequestHeaders;
  decltype(&HttpSendRequestA) sendRequest;
  decltype(&HttpQueryInfoA) queryInfo;
  decltype(&InternetErrorDlg) errorDialog;
  decltype(&InternetReadFile) readFile;
  decltype(&InternetCloseHandle) closeHandle;
};

// The real calls.
const FetchApi& RealFetchApi();

// DownloadPage on the given calls.
int DownloadPageWith(const FetchApi& api, const char* address, const char* path, const UserMessageSink& tell = nullptr,
                     DownloadReport* report = nullptr);
