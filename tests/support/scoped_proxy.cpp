// The proxy setting of the current user, set and put back; a refusing loopback port.
#include <winsock2.h>  // before the windows.h that the header brings

#include "tests/support/scoped_proxy.h"

namespace testing_support {

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kProxyValues[] = {"ProxyEnable", "ProxyServer", "ProxyOverride"};

}  // namespace

ScopedProxy::ScopedProxy(const std::string& hostAndPort) {
  for (const char* name : kProxyValues) saved_.push_back(QueryValue(HKEY_CURRENT_USER, kInternetSettings, name));
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  const DWORD enable = 1;
  RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
  RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(hostAndPort.c_str()),
                 static_cast<DWORD>(hostAndPort.size() + 1));
  RegDeleteValueA(key, "ProxyOverride");
  RegCloseKey(key);
}

ScopedProxy::~ScopedProxy() {
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

}  // namespace testing_support
