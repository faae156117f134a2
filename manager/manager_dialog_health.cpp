// ManagerDialog and search health: the notice under the search list, the dialog
// opened from it and from the system menu.
#include <windows.h>
#include <commctrl.h>

#include "common/search_health_file.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"
#include "manager/search_health_dialog.h"

namespace {

constexpr COLORREF kNoticeColor = RGB(192, 0, 0);

}  // namespace

std::vector<HealthRow> ManagerDialog::CurrentHealthRows() const {
  std::vector<SearchHealth> records;
  // A missing or damaged file leaves every search "Not searched yet" until the next pass.
  if (paths_.searchHealth[0]) LoadSearchHealth(paths_.searchHealth, &records);
  return FormatHealthRows(ReadSearchKeys(paths_.searchList), records);
}

void ManagerDialog::UpdateHealthNotice() {
  healthNotice_ = FormatHealthNotice(CurrentHealthRows());
  SetItemText(kHealthNotice, healthNotice_.c_str());
  const int page = static_cast<int>(SendMessageA(Item(kPageTabs), TCM_GETCURSEL, 0, 0));
  ShowItem(kHealthNotice, page <= 0 && !healthNotice_.empty());
}

void ManagerDialog::ShowSearchHealth() {
  ResolvePaths(paths_);
  SearchHealthDialog(CurrentHealthRows()).Run(Handle());
  UpdateHealthNotice();
}

bool ManagerDialog::ColorHealthNotice(HDC dc, HWND control, INT_PTR& result) const {
  if (control != Item(kHealthNotice)) return false;
  SetTextColor(dc, kNoticeColor);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
  return true;
}
