// The auction site's item-view address, shared by the alert dialog and the manager's shortcuts.
#pragma once
#include <string>

constexpr const char kDefaultItemHost[] = "cgi.rure.com";

// True for a plain host name that may stand in an address: letters, digits, '.' and '-', with
// an optional ":port" from 1 to 65535. Anything else (a path, user information, blanks) could
// send the item links elsewhere.
bool IsPlainItemHost(const std::string& host);

// "http://<host>/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=<id>", the id unescaped.
// The result is cut to 255 characters, the size of the address buffer.
std::string FormatItemPageAddress(const char* host, const char* id);
