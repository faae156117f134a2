// One HTTP GET of an http:// address into a local text file.
#pragma once
#include <functional>
#include <string>

// Where the download's messages for the user go. Without one, each is shown at once in a
// message box; a caller that must not wait for the user collects them instead.
using UserMessageSink = std::function<void(const std::string& text, const char* caption)>;

// Results: 0 the body was written to path; 1 the framework could not start, the address is
// not http://, or the user declined the credentials prompt; 2 the internet layer failed or a
// redirect could not be followed; -1 path could not be created. path exists afterwards only
// when an answer came and the file could be created.
//
// report, when given, tells why a page is missing or not to be trusted: the polling loop keeps
// the health of each search by it.
enum class DownloadFailure { None, Refused, Connection, Credentials, Redirect, File };
struct DownloadReport {
  DownloadFailure failure = DownloadFailure::None;
  int status = 0;  // the status of the answer whose body was stored; 0 when none was
};
int DownloadPage(const char* address, const char* path, const UserMessageSink& tell = nullptr,
                 DownloadReport* report = nullptr);
