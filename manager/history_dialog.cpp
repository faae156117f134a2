// The bargain history dialog: the rows come from HistoryTable, the item pages open as on the
// results page, and "Alert me again" hands the rewrite of the blocked list to a BlockRemoval.
#include "manager/history_dialog.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>

#include "common/blocked_auctions.h"
#include "common/unique_file.h"
#include "manager/manager_ids.h"
#include "manager/open_item_page.h"

namespace {

constexpr UINT kRemovalMessage = WM_APP + 1;  // BlockRemoval's progress
// The caption of what the dialog tells in a message box.
constexpr char kAlertMeAgain[] = "Alert Me Again";

constexpr char kNoHistory[] = "No alert has been kept yet.";
constexpr char kHistoryUnread[] = "The file alerthistory.txt could not be read to its end.";
constexpr char kNotBlocked[] = "Not blocked any more";
constexpr char kWaiting[] = "The block will be lifted once the open alert is answered.";
constexpr char kNotStarted[] = "The block was not lifted: the removal could not be started.";
constexpr char kFailed[] = "The block was not lifted: the file blockedauctions.ini could not be rewritten.";
constexpr char kNoTurn[] = "The block was not lifted: the poller's turn could not be waited for.";
constexpr char kClosedWhileWaiting[] =
    "The block was not lifted: the bargain history was closed before the open alert was answered.";

std::string OutcomeText(BlockRemovalOutcome outcome, const std::string& id) {
  switch (outcome) {
    case BlockRemovalOutcome::Lifted:
      return "The block was lifted: the next pass alerts item " + id + " again if it is still a bargain.";
    case BlockRemovalOutcome::Failed:
      return kFailed;
    case BlockRemovalOutcome::NoTurn:
      return kNoTurn;
    case BlockRemovalOutcome::CalledOff:
      break;
  }
  return kClosedWhileWaiting;
}

}  // namespace

BargainHistoryDialog::BargainHistoryDialog(const ManagerPaths& paths)
    : ModalDialog(kBargainHistoryDialogId),
      historyPath_(paths.alertHistory),
      blockedList_(paths.blockedList),
      blockedTemp_(paths.blockedTemp) {}

BargainHistoryDialog::~BargainHistoryDialog() = default;

bool BargainHistoryDialog::OnInit() {
  list_.Attach(Item(kHistoryList));
  INT stops[kHistoryColumns - 1];
  std::copy(std::begin(kHistoryListTabStops), std::end(kHistoryListTabStops), stops);
  SendMessageA(list_.Handle(), LB_SETTABSTOPS, kHistoryColumns - 1, reinterpret_cast<LPARAM>(stops));
  SendMessageA(Item(kHistoryFilter), EM_LIMITTEXT, kAlertHistoryDescriptionLength, 0);

  std::vector<AlertHistoryEntry> entries;
  // Binary, as the poller writes it: a Ctrl-Z byte in a description ends no text-mode read here.
  UniqueFile file(historyPath_.empty() ? nullptr : std::fopen(historyPath_.c_str(), "rb"));
  if (!file) {
    SetItemText(kHistoryStatus, kNoHistory);
  } else if (!ReadAlertHistory(file.get(), &entries)) {
    SetItemText(kHistoryStatus, kHistoryUnread);
  }
  file.reset();  // not held open while the dialog is: the poller appends to it
  table_ = std::make_unique<HistoryTable>(std::move(entries), ColumnWidths(), ListCharWidths());
  Refill();
  return true;
}

std::array<int, kHistoryColumns> BargainHistoryDialog::ColumnWidths() const {
  // The list's tab stops are in dialog units of the same font as the dialog's.
  std::array<int, kHistoryColumns> widths{};
  int start = 0;
  for (int column = 0; column < kHistoryColumns - 1; ++column) {
    RECT stop{kHistoryListTabStops[column], 0, 0, 0};
    MapDialogRect(Handle(), &stop);
    widths[column] = stop.left - start;
    start = stop.left;
  }
  RECT client{};
  GetClientRect(list_.Handle(), &client);
  widths[kHistoryColumns - 1] = std::max(0, static_cast<int>(client.right) - start);
  return widths;
}

CharWidths BargainHistoryDialog::ListCharWidths() const {
  CharWidths widths{};
  HDC dc = GetDC(list_.Handle());
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(list_.Handle(), WM_GETFONT, 0, 0));
  const HGDIOBJ before = font ? SelectObject(dc, font) : nullptr;
  INT measured[256] = {};
  if (GetCharWidth32A(dc, 0, 255, measured)) std::copy(std::begin(measured), std::end(measured), widths.begin());
  if (before) SelectObject(dc, before);
  ReleaseDC(list_.Handle(), dc);
  return widths;
}

void BargainHistoryDialog::Refill() {
  const AlertHistoryEntry* selected = SelectedEntry();
  const std::size_t selectedRow = selected ? static_cast<std::size_t>(selected - &table_->Entry(0)) : 0;
  shown_ = table_->Filter(ItemText(kHistoryFilter));

  HWND list = list_.Handle();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  list_.Clear();
  std::size_t bytes = 0;
  for (std::size_t row : shown_) bytes += table_->Text(row).size() + 1;
  SendMessageA(list, LB_INITSTORAGE, shown_.size(), static_cast<LPARAM>(bytes));
  for (std::size_t row : shown_) list_.Add(table_->Text(row).c_str());
  if (selected) {
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), selectedRow);
    if (at != shown_.end() && *at == selectedRow) SendMessageA(list, LB_SETCURSEL, at - shown_.begin(), 0);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  ShowSelectedBlock();
}

const AlertHistoryEntry* BargainHistoryDialog::SelectedEntry() const {
  const int selected = list_.Handle() ? list_.Selected() : -1;
  if (selected < 0 || static_cast<std::size_t>(selected) >= shown_.size()) return nullptr;
  return &table_->Entry(shown_[static_cast<std::size_t>(selected)]);
}

void BargainHistoryDialog::ShowSelectedBlock() {
  const AlertHistoryEntry* entry = SelectedEntry();
  std::string line;
  bool blocked = false;
  if (entry && entry->answer == AlertAnswer::Never) {
    long long since = 0;
    const BlockListFiles files{blockedList_.c_str(), blockedTemp_.c_str()};
    blocked = !blockedList_.empty() &&
              NewestCurrentBlock(entry->id.c_str(), static_cast<long long>(std::time(nullptr)), &since, files);
    line = kNotBlocked;
    if (blocked) {
      const std::time_t end = static_cast<std::time_t>(since + kBlockRetentionSeconds);
      const std::tm* local = std::localtime(&end);
      line = local ? FormatBlockedUntil(*local) : "Blocked";
    }
  }
  SetItemText(kHistoryBlock, line.c_str());
  EnableItem(kHistoryAlertAgain, blocked && !removal_);
}

void BargainHistoryDialog::OpenSelectedItem() {
  if (const AlertHistoryEntry* entry = SelectedEntry()) OpenItemPage(entry->id);
}

void BargainHistoryDialog::AlertMeAgain() {
  const AlertHistoryEntry* entry = SelectedEntry();
  if (!entry || removal_ || blockedList_.empty()) return;
  removal_ = BlockRemoval::Start(Handle(), kRemovalMessage, entry->id, blockedList_, blockedTemp_);
  SetItemText(kHistoryStatus, removal_ ? "" : kNotStarted);
  EnableItem(kHistoryAlertAgain, false);
}

void BargainHistoryDialog::RemovalWaiting() {
  if (removal_) SetItemText(kHistoryStatus, kWaiting);
}

void BargainHistoryDialog::RemovalDone() {
  if (!removal_) return;
  const BlockRemovalOutcome outcome = removal_->Finish();
  const std::string id = removal_->Id();
  removal_.reset();
  SetItemText(kHistoryStatus, OutcomeText(outcome, id).c_str());
  ShowSelectedBlock();
}

bool BargainHistoryDialog::OnCommand(int id, int code, HWND) {
  switch (id) {
    case kHistoryFilter:
      if (code == EN_CHANGE) Refill();
      return true;
    case kHistoryList:
      if (code == LBN_SELCHANGE) ShowSelectedBlock();
      if (code == LBN_DBLCLK) OpenSelectedItem();
      return true;
    case kHistoryAlertAgain:
      if (code == BN_CLICKED) AlertMeAgain();
      return true;
    default:
      return false;
  }
}

bool BargainHistoryDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  if (message != kRemovalMessage) return false;
  if (wParam == BlockRemoval::kWaiting) RemovalWaiting();
  if (wParam == BlockRemoval::kDone) RemovalDone();
  result = TRUE;
  return true;
}

void BargainHistoryDialog::OnOk() { OpenSelectedItem(); }

void BargainHistoryDialog::OnCancel() {
  // A removal still waiting for the turn is called off; one that has begun completes first.
  if (removal_) {
    const BlockRemovalOutcome outcome = removal_->Finish();
    const std::string id = removal_->Id();
    removal_.reset();
    if (outcome != BlockRemovalOutcome::Lifted)
      MessageBoxA(Handle(), OutcomeText(outcome, id).c_str(), kAlertMeAgain, MB_OK | MB_ICONINFORMATION);
  }
  End(IDCANCEL);
}
