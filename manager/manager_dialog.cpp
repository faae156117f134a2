// The main window: set-up, page switching, the poller launchers, the about item and the
// minimised icon.
#include "manager/manager_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "manager/about_dialog.h"
#include "manager/manager_ids.h"

namespace {

constexpr int kSearchListPage = 0;
constexpr int kResultsPage = 1;
constexpr int kMiscellaneousPage = 2;

constexpr const char* kPageNames[] = {"Search List", "Search Results", "Miscellaneous Functions"};
constexpr char kSearchHealthMenuText[] = "Search health\x85";  // the ellipsis of the ANSI code page
constexpr char kBargainHistoryMenuText[] = "Bargain history\x85";

// Which page each page-bound control belongs to; Done, the banner and the tabs stay visible.
struct PageControl {
  int first;
  int last;
  int page;
};
constexpr PageControl kPageControls[] = {
    {kSearchList, kSearchList, kSearchListPage},
    {kSearchLabelFirst, kSearchLabelLast, kSearchListPage},
    {kAddSearch, kModifySearch, kSearchListPage},
    {kSearchNow, kSearchNow, kSearchListPage},
    {kResultsList, kResultsList, kResultsPage},
    {kResultsLabelFirst, kResultsLabelLast, kResultsPage},
    {kLastSearchedLabel, kLastSearchedLabel, kResultsPage},
    {kLastSearchedDate, kLastSearchedDate, kResultsPage},
    {kRefreshResults, kRefreshResults, kResultsPage},
    {kReconfigure, kReconfigure, kMiscellaneousPage},
};

// The lotwise.exe installed beside this manager, by its full path; empty when the manager's own
// path cannot be had. A program of that name in the shared folder is never the one started.
std::string PollerBesideManager() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  std::string poller(path, length);
  const std::size_t folderEnd = poller.rfind('\\');
  if (folderEnd == std::string::npos) return {};
  poller.resize(folderEnd + 1);
  return poller + "lotwise.exe";
}

}  // namespace

void ResolvePaths(ManagerPaths& paths) {
  std::string folder;
  const bool read = ReadFolder(folder, kManagerPathSize);
  DerivePaths(read ? folder.c_str() : nullptr, paths);
}

ManagerDialog::ManagerDialog() : ModalDialog(kManagerDialogId) {
  BindList(kResultsList, results_);
  icon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kProgramIconId));
}

bool ManagerDialog::OnInit() {
  searches_.Attach(Item(kSearchList));
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  char about[256] = {};
  LoadStringA(GetModuleHandleA(nullptr), kAboutMenuStringId, about, sizeof about);
  if (about[0]) {
    HMENU menu = GetSystemMenu(Handle(), FALSE);
    if (menu) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(menu, MF_STRING, kAboutCommand, about);
      AppendMenuA(menu, MF_STRING, kBargainHistoryCommand, kBargainHistoryMenuText);
      AppendMenuA(menu, MF_STRING, kSearchHealthCommand, kSearchHealthMenuText);
    }
  }

  LoadSearchList();
  AlignResultColumns();
  LoadResults();

  HWND tabs = Item(kPageTabs);
  for (int page = 0; page < 3; ++page) {
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(kPageNames[page]);
    SendMessageA(tabs, TCM_INSERTITEMA, page, reinterpret_cast<LPARAM>(&tab));
  }
  ShowPage(kSearchListPage);
  UpdateWatchingLine();
  StartWatchingTimer();
  return true;
}

void ManagerDialog::AlignResultColumns() {
  // The row's empty column (between price and days) starts under the price label too.
  constexpr int kColumnLabels[] = {kResultsLabelId,    kResultsLabelDescription, kResultsLabelBids,
                                   kResultsLabelPrice, kResultsLabelPrice,       kResultsLabelDays,
                                   kResultsLabelHours, kResultsLabelMinutes};
  constexpr int kMargin = 2;
  POINT listOrigin{0, 0};
  ClientToScreen(results_.Handle(), &listOrigin);
  std::vector<int> offsets;
  for (int label : kColumnLabels) {
    RECT rect{};
    GetWindowRect(Item(label), &rect);
    offsets.push_back(std::max(0, static_cast<int>(rect.left - listOrigin.x)) + kMargin);
  }
  results_.SetColumns(offsets);
}

void ManagerDialog::ShowPage(int page) {
  for (const PageControl& control : kPageControls)
    for (int id = control.first; id <= control.last; ++id) ShowItem(id, control.page == page);
  ShowItem(kHealthNotice, page == kSearchListPage && !healthNotice_.empty());
  if (page == kResultsPage) LoadResults();
}

bool ManagerDialog::LaunchPoller(const char* commandSwitch) {
  const std::string poller = PollerBesideManager();
  if (poller.empty()) return false;
  // The poller opens its files by bare name: its working directory is the shared folder.
  const char* folder = paths_.folder[0] ? paths_.folder : nullptr;
  const HINSTANCE started = ShellExecuteA(nullptr, nullptr, poller.c_str(), commandSwitch, folder, SW_SHOW);
  return reinterpret_cast<INT_PTR>(started) > 32;
}

bool ManagerDialog::OnCommand(int id, int code, HWND) {
  switch (id) {
    case kAddSearch:
      if (code == BN_CLICKED) AddSearch();
      return true;
    case kDeleteSearch:
      if (code == BN_CLICKED) DeleteSelectedSearch();
      return true;
    case kModifySearch:
      if (code == BN_CLICKED) ModifySearch();
      return true;
    case kSearchList:
      if (code == LBN_DBLCLK) ModifySearch();
      return true;
    case kReconfigure:
      if (code == BN_CLICKED) LaunchPoller("-s");
      return true;
    case kSearchNow:
      if (code == BN_CLICKED) LaunchPoller("-r");
      return true;
    case kRefreshResults:
      if (code == BN_CLICKED) LoadResults();
      return true;
    case kResultsList:
      if (code == LBN_DBLCLK) OpenResultItem();
      return true;
    case kHealthNotice:
      if (code == STN_CLICKED) ShowSearchHealth();
      return true;
    case kStartWatching:
      if (code == BN_CLICKED) StartWatching();
      return true;
    default:
      return false;
  }
}

bool ManagerDialog::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != kPageTabs || header.code != TCN_SELCHANGE) return false;
  ShowPage(static_cast<int>(SendMessageA(Item(kPageTabs), TCM_GETCURSEL, 0, 0)));
  result = 0;
  return true;
}

bool ManagerDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutCommand) {
        AboutDialog().Run(Handle());
      } else if ((wParam & 0xFFF0) == kSearchHealthCommand) {
        ShowSearchHealth();
      } else if ((wParam & 0xFFF0) == kBargainHistoryCommand) {
        ShowBargainHistory();
      } else {
        return false;
      }
      result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC:
      return ColorHealthNotice(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
    case WM_PAINT:
      if (!IsIconic(Handle())) return false;
      result = PaintMinimised();
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(icon_);
      return true;
    case WM_TIMER:
      if (!OnWatchingTimer(wParam)) return false;
      result = 0;
      return true;
    default:
      return false;
  }
}

bool ManagerDialog::PaintMinimised() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(Handle(), &client);
  const int left = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int top = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, left, top, icon_);
  EndPaint(Handle(), &paint);
  return true;
}
