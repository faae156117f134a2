// The auction site's item-view address, shared by the alert dialog and the manager's shortcuts.
#pragma once
#include <string>

constexpr const char kDefaultItemHost[] = "cgi.rure.com";

// "http://<host>/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=<id>", the id unescaped.
// The result is cut to 255 characters, the size of the address buffer.
std::string FormatItemPageAddress(const char* host, const char* id);
