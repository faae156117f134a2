// Benchmark and soak of the real lotwise.exe against the fixture site: one long pass timed
// beside the site's own serving time, memory and handles over many passes, and the CPU the
// poller uses while it waits between passes. Prints a report; run by tools/bench-poller.sh.

// winsock2.h goes before windows.h, which would otherwise bring the old winsock.h.
#include <winsock2.h>
// The rest need windows.h first.
#include <windows.h>
// Process counters, thread list and the bare WinINet client.
#include <psapi.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "poller/fetch/download_page.h"
#include "tests/fixture_site/fixture_site_client.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

constexpr DWORD kPassTimeoutMs = 30 * 60 * 1000;
constexpr DWORD kStopTimeoutMs = 70000;  // "-k" itself waits up to 60 s for the poller
constexpr DWORD kIdleSampleMs = 5000;
// Between passes the process may be charged a clock tick or two by the system's accounting.
constexpr double kIdleCpuLimitMs = 20.0;
// Memory the allocator may settle into after warm-up without being a leak: two of the 64 KB
// steps in which the heap commits.
constexpr long long kMemorySlackBytes = 128 * 1024;
// Handles a download may still hold at the moment of the fewest reading. A handle lost per pass
// or per failed search would show as hundreds.
constexpr long kHandleSlack = 2;

// A measurement that could not be made, or a finding (growth, CPU between passes): either
// makes the exit status 1.
bool g_failed = false;
bool g_flagged = false;

void Fail(const std::string& what) {
  std::printf("FAILED: %s\n", what.c_str());
  g_failed = true;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double FileTimeSeconds(const FILETIME& time) {
  return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
}

const char* g_cpuSource = "GetProcessTimes";

// User and kernel time of a process so far, in seconds; -1 when it cannot be read. Wine 8
// answers GetProcessTimes for another process with the caller's own times; there the sum of
// GetThreadTimes over the process's threads (which Wine reads from the system while the
// process lives) stands in for it.
double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user, ownKernel, ownUser;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &ownKernel, &ownUser);
  if (CompareFileTime(&kernel, &ownKernel) != 0 || CompareFileTime(&user, &ownUser) != 0)
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
  g_cpuSource = "GetThreadTimes over the poller's threads";
  double total = 0;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && Thread32First(snapshot.Get(), &entry); more;
       more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != GetProcessId(process)) continue;
    UniqueHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    if (thread && GetThreadTimes(thread.Get(), &created, &exited, &kernel, &user))
      total += FileTimeSeconds(kernel) + FileTimeSeconds(user);
  }
  return total;
}

struct ResourceSample {
  int pass = 0;
  long long workingSet = 0;
  long long privateBytes = 0;
  long handles = 0;
};

// Committed private memory summed over the process's address space: what PrivateUsage says on
// Windows. Wine reports PrivateUsage as the process's swap, so the walk stands in for it there.
long long CommittedPrivateBytes(HANDLE process) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  long long total = 0;
  const char* address = static_cast<const char*>(system.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION region;
  while (address < system.lpMaximumApplicationAddress &&
         VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

// The process's entries in the system handle table. Wine 8 answers GetProcessHandleCount of
// another process with 0, but keeps this table.
long CountHandlesInSystemTable(DWORD processId) {
  struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  using QuerySystem = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  const auto query = reinterpret_cast<QuerySystem>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<char> buffer(1 << 16);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status < 0) return -1;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const size_t first = sizeof(ULONG_PTR) == 8 ? 8 : 4;
    long mine = 0;
    for (ULONG i = 0; i < count && first + (i + 1) * sizeof(HandleEntry) <= buffer.size(); ++i) {
      HandleEntry entry;
      std::memcpy(&entry, buffer.data() + first + i * sizeof(HandleEntry), sizeof entry);
      if (entry.ownerPid == processId) ++mine;
    }
    return mine;
  }
  return -1;
}

const char* g_privateSource = "PrivateUsage";
const char* g_handleSource = "GetProcessHandleCount";

long CountHandles(HANDLE process) {
  DWORD handles = 0;
  // A running process always holds handles: a count of 0 means the call is not implemented.
  if (GetProcessHandleCount(process, &handles) && handles > 0) return handles;
  g_handleSource = "system handle table (NtQuerySystemInformation)";
  return CountHandlesInSystemTable(GetProcessId(process));
}

ResourceSample SampleResources(HANDLE process, int pass) {
  ResourceSample sample;
  sample.pass = pass;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    sample.workingSet = memory.WorkingSetSize;
    sample.privateBytes = memory.PrivateUsage;
  }
  if (sample.privateBytes == 0) {
    sample.privateBytes = CommittedPrivateBytes(process);
    g_privateSource = "committed private regions (VirtualQueryEx)";
  }
  sample.handles = CountHandles(process);
  return sample;
}

// The counters must see growth where there is some: this process opens 16 events and commits
// a megabyte, and both show.
bool CountersSeeGrowth() {
  const long handlesBefore = CountHandlesInSystemTable(GetCurrentProcessId());
  const long long privateBefore = CommittedPrivateBytes(GetCurrentProcess());
  std::vector<UniqueHandle> events;
  for (int i = 0; i < 16; ++i) events.emplace_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  void* block = VirtualAlloc(nullptr, 1 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const long handleGrowth = CountHandlesInSystemTable(GetCurrentProcessId()) - handlesBefore;
  const long long privateGrowth = CommittedPrivateBytes(GetCurrentProcess()) - privateBefore;
  VirtualFree(block, 0, MEM_RELEASE);
  std::printf("counters: 16 events opened show as %+ld handles, 1024 KB committed as %+lld KB\n", handleGrowth,
              privateGrowth / 1024);
  return handleGrowth == 16 && privateGrowth == 1 << 20;
}

// A poller started in a folder, with a handle that may read its times and memory.
class Poller {
 public:
  bool Start(const std::string& arguments, const std::string& folder) {
    if (!child_.Start(ProgramPath("lotwise.exe"), arguments, folder)) return false;
    query_.Reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, child_.Id()));
    return static_cast<bool>(query_);
  }
  HANDLE Handle() const { return query_.Get(); }
  bool Wait(DWORD timeoutMs, DWORD* exitCode) { return child_.Wait(timeoutMs, exitCode); }
  bool IsRunning() const { return child_.IsRunning(); }

 private:
  ChildProcess child_;
  UniqueHandle query_;
};

// Answers the poller's "no internet connection" box if one is up: the poller waits for it, and
// so does a stop request. False when a box of another text was answered.
bool AnswerNoConnectionBox(int& boxes) {
  if (!ui::FindTopWindow("Lotwise")) return true;
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Lotwise", IDOK, 2000);
  ++boxes;
  return box.text == "No internet connection.\nLotwise standing by\n";
}

// Runs "lotwise.exe -k", answering the poller's boxes meanwhile. Its exit code, or -2.
long StopPollers(const std::string& folder, int& boxes) {
  ChildProcess stop;
  if (!stop.Start(ProgramPath("lotwise.exe"), "-k", folder)) return -2;
  const double start = Now();
  DWORD exitCode = 0;
  while (!stop.Wait(20, &exitCode)) {
    AnswerNoConnectionBox(boxes);
    if (Now() - start > kStopTimeoutMs / 1000.0) return -2;
  }
  return static_cast<long>(exitCode);
}

// A fresh folder below the current one, left in place afterwards for a look at its files.
std::string FreshFolder(const std::string& name) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string path = std::string(current) + "\\" + name;
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

// The search lines of a generated set, with "{site}" made the site's address.
std::vector<std::string> Searches(const std::string& data, const std::string& set, const fixture_site::Site& site) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(ReadFileBytes(data + "\\" + set + "_searches.txt")))
    if (!line.empty()) lines.push_back(Replace(line, "{site}", site.Address("")));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The address a search line names: the first word after the closing quote.
std::string AddressOf(const std::string& line) {
  const size_t quote = line.find('"', 1);
  const size_t start = line.find_first_not_of(" \t", quote + 1);
  return line.substr(start, line.find_first_of(" \t", start) - start);
}

std::map<std::string, long> ReadCounts(const std::string& path) {
  std::map<std::string, long> counts;
  for (const std::string& line : SplitLines(ReadFileBytes(path))) {
    const size_t blank = line.find(' ');
    if (blank != std::string::npos) counts[line.substr(0, blank)] = std::atol(line.c_str() + blank + 1);
  }
  return counts;
}

struct LogCounts {
  long items = 0, alerts = 0, pages = 0, searches = 0;
  bool closed = false;
};

LogCounts CountLog(const std::string& path) {
  LogCounts counts;
  for (const std::string& line : SplitLines(ReadFileBytes(path))) {
    if (line.rfind("ID:", 0) == 0)
      ++counts.items;
    else if (line.rfind("RURE LOTWISE ALERT:", 0) == 0)
      ++counts.alerts;
    else if (line == "Closed temphtml.html")
      ++counts.pages;
    else if (line.rfind("DESCRIPTION:", 0) == 0)
      ++counts.searches;
    else if (line.rfind("Closed ", 0) == 0)
      counts.closed = true;
  }
  return counts;
}

// One HTTP/1.0 GET over a plain socket, read to the close: the site's answer time without
// WinINet and without the poller. Returns the bytes received, or -1.
long PlainGet(int port, const std::string& path) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  long received = -1;
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: Lotwise\r\n\r\n";
    if (send(s, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size())) {
      received = 0;
      char buffer[16384];
      for (int got; (got = recv(s, buffer, sizeof buffer, 0)) > 0;) received += got;
    }
  }
  closesocket(s);
  return received;
}

std::string PathOf(const std::string& address) {
  const size_t slash = address.find('/', address.find("//") + 2);
  return slash == std::string::npos ? "/" : address.substr(slash);
}

void WaitFailed(const char* what) {
  Fail(what);
  std::printf("%s\n", ui::DescribeScreen().c_str());
}

struct TimedPass {
  double wall = 0;
  double cpu = -1;  // from the first request to the last reading before the end
  DWORD exitCode = 0;
  size_t requests = 0;
};

// Runs "lotwise.exe -r" in folder to its end. The CPU time can be read only while the process
// lives, so it is read as the pass goes.
bool RunTimedPass(const std::string& folder, const fixture_site::Site& site, TimedPass& pass) {
  site.TakeRequests();
  Poller poller;
  const double start = Now();
  if (!poller.Start("-r", folder)) return false;
  double cpuAtFirstRequest = -1, cpuLast = -1;
  while (!poller.Wait(50, &pass.exitCode)) {
    const double cpu = CpuSeconds(poller.Handle());
    if (cpu > 0) cpuLast = cpu;
    if (cpuAtFirstRequest < 0 && (pass.requests += site.TakeRequests().size()) > 0) cpuAtFirstRequest = cpuLast;
    if (Now() - start > kPassTimeoutMs / 1000.0) {
      WaitFailed("the pass did not end in time");
      return false;
    }
  }
  pass.wall = Now() - start;
  pass.cpu = cpuAtFirstRequest >= 0 ? cpuLast - cpuAtFirstRequest : -1;
  pass.requests += site.TakeRequests().size();
  return true;
}

// Passes over the big search list, beside the same pages fetched without the poller. The
// machine may be shared, so every measurement is repeated and the quickest run counts.
void BenchmarkPass(const std::string& data, const fixture_site::Site& site, int runs) {
  std::printf("== One pass, best of %d ==\n", runs);
  const std::string folder = FreshFolder("pass");
  const std::vector<std::string> searches = Searches(data, "bench", site);
  std::map<std::string, long> expected = ReadCounts(data + "\\bench_expected.txt");
  if (searches.empty() || expected["items"] == 0) return Fail("no generated pages in " + data);

  // Start-up and shut-down of the program alone: a pass over an empty list.
  WriteFileBytes(folder + "\\lotwise2.ini", "");
  double startup = 1e9;
  for (int run = 0; run < runs; ++run) {
    const double start = Now();
    if (RunProgram(ProgramPath("lotwise.exe"), "-r", folder) != 0) return Fail("an empty pass did not end with 0");
    startup = std::min(startup, Now() - start);
  }

  WriteFileBytes(folder + "\\lotwise2.ini", JoinLines(searches));
  TimedPass best;
  best.wall = 1e9;
  std::printf("passes:");
  for (int run = 0; run < runs; ++run) {
    WriteFileBytes(folder + "\\blockedauctions.ini", ReadFileBytes(data + "\\bench_blocked.ini"));
    DeleteFileA((folder + "\\alerthistory.txt").c_str());  // each pass appends every alert anew
    TimedPass pass;
    if (!RunTimedPass(folder, site, pass)) return Fail("lotwise.exe -r did not run to its end");
    const LogCounts log = CountLog(folder + "\\lotwise.txt");
    std::printf(" %.2f s (CPU %.2f s)", pass.wall, pass.cpu);
    if (pass.exitCode != 0 || !log.closed || log.items != expected["items"] || log.alerts != expected["alerts"] ||
        log.pages != expected["pages"] || pass.requests != searches.size()) {
      std::printf("\n");
      return Fail("pass log: " + std::to_string(log.items) + " items, " + std::to_string(log.alerts) + " alerts, " +
                  std::to_string(log.pages) + " pages, closing line " + (log.closed ? "present" : "missing") +
                  ", exit code " + std::to_string(static_cast<long>(pass.exitCode)) + ", " +
                  std::to_string(pass.requests) + " requests; expected " + std::to_string(expected["items"]) +
                  " items, " + std::to_string(expected["alerts"]) + " alerts, " + std::to_string(expected["pages"]) +
                  " pages");
    }
    if (pass.wall < best.wall) best = pass;
  }
  std::printf("\n");
  const long historyLines = static_cast<long>(SplitLines(ReadFileBytes(folder + "\\alerthistory.txt")).size());
  if (historyLines != expected["alerts"])
    return Fail("the bargain history holds " + std::to_string(historyLines) + " lines, not one per alert");

  // The same passes without the bargain history: a folder in its place, which no line can be
  // appended to, leaves everything else of the pass as it was.
  CreateDirectoryA((folder + "\\alerthistory.txt").c_str(), nullptr);
  double withoutHistory = 1e9;
  std::printf("passes without the bargain history:");
  for (int run = 0; run < runs; ++run) {
    WriteFileBytes(folder + "\\blockedauctions.ini", ReadFileBytes(data + "\\bench_blocked.ini"));
    TimedPass pass;
    if (!RunTimedPass(folder, site, pass)) return Fail("lotwise.exe -r did not run to its end");
    std::printf(" %.2f s", pass.wall);
    withoutHistory = std::min(withoutHistory, pass.wall);
  }
  std::printf("\n");
  RemoveDirectoryA((folder + "\\alerthistory.txt").c_str());

  // The same pages without the poller: plain GETs (the site's serving), then the poller's own
  // download function (WinINet and the file it writes).
  double plain = 1e9, download = 1e9;
  long long bytes = 0;
  for (int round = 0; round < runs; ++round) {
    double begin = Now();
    bytes = 0;
    for (const std::string& line : searches) {
      const long got = PlainGet(site.Port(), PathOf(AddressOf(line)));
      if (got <= 0) return Fail("a plain GET of " + AddressOf(line) + " failed");
      bytes += got;
    }
    plain = std::min(plain, Now() - begin);
    begin = Now();
    const std::string target = folder + "\\fetched.html";
    for (const std::string& line : searches)
      if (DownloadPage(AddressOf(line).c_str(), target.c_str()) != 0) return Fail("DownloadPage " + AddressOf(line));
    download = std::min(download, Now() - begin);
  }
  site.TakeRequests();

  const long items = expected["items"];
  const double own = best.wall - startup - plain;
  const double rest = own - (download - plain);
  auto perItem = [items](double seconds) { return seconds * 1e6 / static_cast<double>(items); };
  auto row = [&perItem](const char* what, double seconds) {
    std::printf("  %-56s %7.2f s %7.1f us/item\n", what, seconds, perItem(seconds));
  };
  std::printf("%u searches, %ld items (%ld alerts, all logged and checked), %.1f MB of pages\n",
              static_cast<unsigned>(searches.size()), items, expected["alerts"], static_cast<double>(bytes) / 1e6);
  row("pass, wall clock (lotwise.exe -r)", best.wall);
  row("  start-up and exit (a pass over an empty list)", startup);
  row("  the site serving (plain GETs of the same pages)", plain);
  row("  the poller's own share (the rest)", own);
  row("    download beyond the site (DownloadPage alone - site)", download - plain);
  row("    normalise, parse, test and log (the rest)", rest);
  if (best.cpu >= 0) row("poller CPU time, first request to end (user + kernel)", best.cpu);
  std::printf("  CPU time read through %s\n", g_cpuSource);
  std::printf("  the poller's own share is %.0f%% of the pass, the site's %.0f%%\n", own * 100 / best.wall,
              plain * 100 / best.wall);
  std::printf("  with the bargain history (%ld lines) the pass takes %.3f times as long as without it\n",
              expected["alerts"], best.wall / withoutHistory);
}

// The soak's five searches, which take every road of a download: two pages, a third behind a
// redirect, a missing page (a 404 whose error page is stored and holds no items) and a
// connection the site drops without an answer (mostly no page: a failed search; WinINet under
// Wine sometimes takes the bare close for an empty answer).
std::vector<std::string> SoakSearches(const std::string& data, const fixture_site::Site& site) {
  std::vector<std::string> searches = Searches(data, "soak", site);
  if (searches.size() < 5) return {};
  searches.resize(5);
  const std::string redirected = AddressOf(searches[2]);
  searches[2] = Replace(searches[2], redirected, site.Address("/_/redirect?code=302&to=") + redirected);
  searches[3] = Replace(searches[3], AddressOf(searches[3]), site.Address("/pages/no_such_page.html"));
  searches[4] = Replace(searches[4], AddressOf(searches[4]), site.Address("/_/hangup"));
  return searches;
}

// One GET through WinINet as the poller asks for it (its flags and header block), with nothing
// of the poller around it, read to its end.
void BareWinInetGet(int port, const std::string& target) {
  constexpr char kHeaders[] = "Accept: text/*\r\nUser-Agent: Lotwise\r\n";
  HINTERNET session = InternetOpenA("Lotwise", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(session, "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 1);
  HINTERNET request =
      HttpOpenRequestA(connection, "GET", target.c_str(), "HTTP/1.0", nullptr, nullptr,
                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT, 1);
  if (request) HttpAddRequestHeadersA(request, kHeaders, sizeof kHeaders - 1, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
    char buffer[8192];
    for (DWORD got = 0; InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0;) {
    }
  }
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  if (session) InternetCloseHandle(session);
}

// How much this process's committed private memory grows while it makes the given requests
// `rounds` times through bare WinINet: the part of the poller's growth that is the library's.
long long BareClientGrowth(int port, const std::vector<std::string>& targets, int rounds) {
  for (int round = 0; round < 10; ++round)
    for (const std::string& target : targets) BareWinInetGet(port, target);
  const long long before = CommittedPrivateBytes(GetCurrentProcess());
  for (int round = 0; round < rounds; ++round)
    for (const std::string& target : targets) BareWinInetGet(port, target);
  return CommittedPrivateBytes(GetCurrentProcess()) - before;
}

// A continuous poller with interval 0: memory and handles after pass 1 and later passes.
void Soak(const std::string& data, const fixture_site::Site& site, int passes) {
  std::printf("== Soak: %d passes, interval 0 ==\n", passes);
  const std::string folder = FreshFolder("soak");
  const std::vector<std::string> searches = SoakSearches(data, site);
  if (searches.empty()) return Fail("the soak set needs five searches");
  WriteFileBytes(folder + "\\lotwise2.ini", JoinLines(searches));
  WriteFileBytes(folder + "\\blockedauctions.ini", ReadFileBytes(data + "\\soak_blocked.ini"));
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "0");

  // A pass has ended when the first search of the next one is asked for: every sample is taken
  // at the same point of a pass.
  const std::string firstRequest = "GET " + PathOf(AddressOf(searches[0])) + " ";
  std::vector<int> checkpoints = {1, 10, passes / 4, passes / 2, passes * 3 / 4, passes};
  std::sort(checkpoints.begin(), checkpoints.end());
  checkpoints.erase(
      std::remove_if(checkpoints.begin(), checkpoints.end(), [passes](int p) { return p < 1 || p > passes; }),
      checkpoints.end());
  checkpoints.erase(std::unique(checkpoints.begin(), checkpoints.end()), checkpoints.end());

  site.TakeRequests();
  Poller poller;
  if (!poller.Start("", folder)) return Fail("the continuous poller did not start");
  std::vector<ResourceSample> samples;
  std::vector<std::string> onePass;  // the request targets of one pass, for the bare client
  int firstSearches = 0, boxes = 0;
  long requests = 0;
  size_t next = 0;
  const double start = Now();
  while (next < checkpoints.size()) {
    for (const fixture_site::Request& request : site.TakeRequests()) {
      ++requests;
      const std::string line = request.RequestLine();
      if (line.rfind(firstRequest, 0) == 0) ++firstSearches;
      if (firstSearches == 1) onePass.push_back(line.substr(4, line.rfind(' ') - 4));
    }
    // Every ninth failed search tells the user that there is no connection, and the loop waits.
    if (!AnswerNoConnectionBox(boxes)) Fail("a box of another text than the no-connection message");
    const int done = firstSearches - 1;
    if (done >= checkpoints[next]) {
      samples.push_back(SampleResources(poller.Handle(), done));
      // A download holds a few handles for a moment: the fewest seen over several passes is
      // what the poller keeps.
      for (int reading = 0; reading < 100; ++reading) {
        Sleep(5);
        samples.back().handles = std::min(samples.back().handles, CountHandles(poller.Handle()));
      }
      ++next;
      continue;
    }
    if (!poller.IsRunning()) return Fail("the poller ended after " + std::to_string(done) + " passes");
    if (Now() - start > kPassTimeoutMs / 1000.0) return WaitFailed("the soak did not reach its last pass in time");
    Sleep(10);
  }
  const double soak = Now() - start;
  const double cpu = CpuSeconds(poller.Handle());

  const double stopStart = Now();
  const long stopCode = StopPollers(folder, boxes);
  const double stop = Now() - stopStart;
  DWORD exitCode = 0;
  const bool ended = poller.Wait(10000, &exitCode);
  const ResourceSample& first = samples.front();
  const ResourceSample& last = samples.back();
  std::printf("%d passes in %.1f s (%.0f ms a pass), %ld requests, %d no-connection boxes answered, CPU %.1f s\n",
              last.pass, soak, soak * 1000 / last.pass, requests, boxes, cpu);
  std::printf("\"-k\" returned %ld after %.2f s; the poller %s\n", stopCode, stop,
              ended ? ("ended with " + std::to_string(static_cast<long>(exitCode))).c_str() : "IS STILL RUNNING");
  if (!ended || exitCode != 0 || stopCode != 0) Fail("the poller did not stop cleanly on -k");

  std::printf("  private bytes: %s; handles: %s\n", g_privateSource, g_handleSource);
  std::printf("  %6s %14s %14s %17s\n", "pass", "working set KB", "private KB", "handles (fewest)");
  for (const ResourceSample& s : samples)
    std::printf("  %6d %14lld %14lld %17ld\n", s.pass, s.workingSet / 1024, s.privateBytes / 1024, s.handles);

  // The first pass loads what every pass needs: growth counts from there. WinINet's own growth
  // for the same requests, made here without the poller, is set beside it.
  const int measured = last.pass - first.pass;
  const long long privateGrowth = last.privateBytes - first.privateBytes;
  const long long bareGrowth = BareClientGrowth(site.Port(), onePass, measured);
  site.TakeRequests();
  auto perPass = [measured](long long bytes) { return measured > 0 ? static_cast<double>(bytes) / measured : 0.0; };
  const long long beyond = privateGrowth - bareGrowth;
  const ResourceSample& quarter = *std::find_if(samples.begin(), samples.end(),
                                                [&last](const ResourceSample& s) { return s.pass >= last.pass / 4; });
  std::printf("  private bytes, pass %d to %d: %+lld KB (%.0f bytes a pass)%s\n", first.pass, last.pass,
              privateGrowth / 1024, perPass(privateGrowth), privateGrowth > kMemorySlackBytes ? "   <-- growth" : "");
  std::printf("  a bare WinINet client making the same %u requests a pass: %+lld KB (%.0f bytes a pass)\n",
              static_cast<unsigned>(onePass.size()), bareGrowth / 1024, perPass(bareGrowth));
  std::printf("  the poller beyond WinINet: %+lld KB%s\n", beyond / 1024,
              beyond > kMemorySlackBytes ? "   <-- GROWTH" : "");
  std::printf("  working set, pass %d to %d: %+lld KB; pass %d to %d: %+lld KB\n", first.pass, last.pass,
              (last.workingSet - first.workingSet) / 1024, quarter.pass, last.pass,
              (last.workingSet - quarter.workingSet) / 1024);
  const long handleGrowth = last.handles - first.handles;
  std::printf("  handles, pass %d to %d: %+ld%s\n", first.pass, last.pass, handleGrowth,
              handleGrowth > kHandleSlack ? "   <-- GROWTH" : "");
  const bool grew = beyond > kMemorySlackBytes || handleGrowth > kHandleSlack;
  g_flagged = g_flagged || grew;
  std::printf("  %s\n", grew ? "GROWTH FLAGGED"
                        : privateGrowth > kMemorySlackBytes
                            ? "growth: WinINet's own (as the bare client's), none of the poller's"
                            : "no growth");
}

// With interval 30, after the first pass: the CPU time charged over a few idle seconds.
void IdleCpu(const std::string& data, const fixture_site::Site& site) {
  std::printf("== Between passes, interval 30 ==\n");
  const std::string folder = FreshFolder("idle");
  const std::vector<std::string> searches = SoakSearches(data, site);
  if (searches.empty()) return Fail("the soak set needs five searches");
  WriteFileBytes(folder + "\\lotwise2.ini", JoinLines(searches));
  WriteFileBytes(folder + "\\blockedauctions.ini", ReadFileBytes(data + "\\soak_blocked.ini"));
  SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", "30");

  Poller poller;
  if (!poller.Start("", folder)) return Fail("the continuous poller did not start");
  const double start = Now();
  while (!CountLog(folder + "\\lotwise.txt").closed) {
    if (!poller.IsRunning()) return Fail("the poller ended during its first pass");
    if (Now() - start > 120) return WaitFailed("the first pass did not end in time");
    Sleep(50);
  }
  const double firstPass = Now() - start;
  Sleep(1000);  // the log is closed just before the wait begins
  // Under Wine, reading another process's memory map runs code in that process: the memory and
  // handle samples stay outside the CPU window.
  const ResourceSample resourcesBefore = SampleResources(poller.Handle(), 1);
  const double before = CpuSeconds(poller.Handle());
  Sleep(kIdleSampleMs);
  const double after = CpuSeconds(poller.Handle());
  const ResourceSample resourcesAfter = SampleResources(poller.Handle(), 1);
  const size_t requests = site.TakeRequests().size();

  const double stopStart = Now();
  int boxes = 0;
  const long stopCode = StopPollers(folder, boxes);
  const double stop = Now() - stopStart;
  DWORD exitCode = 0;
  const bool ended = poller.Wait(10000, &exitCode);

  const double idleMs = (after - before) * 1000;
  std::printf("first pass %.2f s, CPU time %.3f s after it (%u requests; %s)\n", firstPass, before,
              static_cast<unsigned>(requests), g_cpuSource);
  std::printf("  CPU time over %.1f s of waiting: %.3f ms%s\n", kIdleSampleMs / 1000.0, idleMs,
              idleMs > kIdleCpuLimitMs ? "   <-- CPU USED BETWEEN PASSES" : " (none)");
  std::printf("  private KB %lld -> %lld, handles %ld -> %ld while waiting\n", resourcesBefore.privateBytes / 1024,
              resourcesAfter.privateBytes / 1024, resourcesBefore.handles, resourcesAfter.handles);
  std::printf("  \"-k\" during the wait returned %ld after %.2f s; poller %s\n", stopCode, stop,
              ended ? ("ended with " + std::to_string(static_cast<long>(exitCode))).c_str() : "STILL RUNNING");
  if (idleMs > kIdleCpuLimitMs) g_flagged = true;
  if (before <= 0)
    std::printf("  (the CPU reading did not move over the first pass: the idle reading proves little)\n");
  if (!ended || exitCode != 0 || stopCode != 0) Fail("the poller did not stop cleanly on -k");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: poller_bench DATA_FOLDER [--soak-passes N] [--pass-runs N] [--only pass|soak|idle]\n");
    return 2;
  }
  const std::string data = argv[1];
  int passes = 200;
  int runs = 3;
  std::string only;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--soak-passes") == 0) passes = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--pass-runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  fixture_site::Site site;
  if (!site.Ready()) {
    std::printf("FAILED: no fixture site (LOTWISE_FIXTURE_SITE)\n");
    return 1;
  }
  {
    // Alerts only in the log: no dialog waits for an answer and no sound plays.
    ScopedRegistryKey settings(kSettingsKeyPath);
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");
    SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "LotwiseSound", "0");
    if (!CountersSeeGrowth()) Fail("the handle or memory counters do not see growth");
    if (only.empty() || only == "pass") BenchmarkPass(data, site, runs);
    if (only.empty() || only == "soak") Soak(data, site, passes);
    if (only.empty() || only == "idle") IdleCpu(data, site);
  }
  WSACleanup();
  return g_failed || g_flagged ? 1 : 0;
}
