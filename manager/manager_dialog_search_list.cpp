// ManagerDialog, the Search List page: loading the rows, and Add, Modify and Delete Search.
#include <cerrno>
#include <cstdio>
#include <string>

#include "common/search_list.h"
#include "common/unique_file.h"
#include "manager/core/search_input.h"
#include "manager/core/search_rows.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"
#include "manager/search_editor_dialog.h"

namespace {

constexpr char kOldListUnreadable[] =
    "The old search list lotwise.ini could not be read. Close any program that uses it and open Lotwise Manager "
    "again.";

}  // namespace

// Every physical line gets a row, so that row i is always line i + 1, and each row keeps the
// bytes of its line for the rewrite to check.
void ManagerDialog::FillSearchList(std::string (*formatRow)(const char* line), bool setTabStops) {
  const UniqueFile file(OpenListForReading(paths_.searchList));
  if (!file) return;
  std::string line;
  while (ReadFileLine(file.get(), kSearchListLineCap, line)) {
    if (setTabStops) {
      const auto& s = kSearchListTabStops;
      searches_.SetTabStops({s[0], s[1], s[2], s[3], s[4]});
    }
    AddSearchRow(formatRow(line.c_str()), line);
  }
}

void ManagerDialog::LoadSearchList() {
  ResolvePaths(paths_);
  std::string message;
  const bool listOpens = UniqueFile(OpenListForReading(paths_.searchList)) != nullptr;
  if (!listOpens && errno == ENOENT) {
    // Only a missing list is built from the old one: an unreadable list is never overwritten.
    switch (ConvertOldSearchList(paths_.oldSearchList, paths_.searchList)) {
      case ConversionResult::Converted:
        break;
      case ConversionResult::OldListUnreadable:
        // Nothing written: the next start converts it, unless a search is added before.
        message = kOldListUnreadable;
        break;
      case ConversionResult::Failed:
        message = SearchListFileMessage(paths_.searchList, "written");
        break;
    }
  } else if (!listOpens) {
    // Locked by another program, or no right to read it: the list shows empty, and the user
    // must know why before changing anything.
    message = SearchListFileMessage(paths_.searchList, "read");
  }
  if (!message.empty()) MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_TASKMODAL);
  FillSearchList(FormatLoadedRow, true);
  UpdateHealthNotice();
}

void ManagerDialog::RefillSearchList() {
  ClearSearchList();
  FillSearchList(FormatChangedRow, false);
  UpdateHealthNotice();
}

void ManagerDialog::ReloadSearchList() {
  ClearSearchList();
  LoadSearchList();
}

void ManagerDialog::ClearSearchList() {
  searches_.Clear();
  searchLines_.clear();
}

void ManagerDialog::AddSearchRow(const std::string& row, const std::string& line) {
  if (searches_.Add(row.c_str()) >= 0) searchLines_.push_back(line);
}

void ManagerDialog::OpenEditor(int target) {
  if (editor_) {
    editor_->BringToFront();
    return;
  }
  EditTarget = target;
  const std::string loadedLine = target >= 1 ? searchLines_[target - 1] : std::string();
  auto* editor = new SearchEditorDialog(*this, loadedLine);
  if (!editor->Create(Handle())) {
    delete editor;
    return;
  }
  editor_ = editor;
  EnableItem(IDOK, false);
}

void ManagerDialog::AddSearch() { OpenEditor(-1); }

void ManagerDialog::ModifySearch() {
  const int selected = searches_.Selected();
  if (selected < 0 || static_cast<std::size_t>(selected) >= searchLines_.size()) return;
  OpenEditor(selected + 1);
}

void ManagerDialog::DeleteSelectedSearch() {
  int selected = searches_.Selected();
  if (static_cast<std::size_t>(selected) >= searchLines_.size()) selected = -1;
  // A delete would shift the line the open editor is to change: finish that change first.
  if (selected >= 0 && editor_ && EditTarget >= 1) {
    MessageBoxA(nullptr, "Save or cancel the search you are changing before deleting a search.", "Error",
                MB_OK | MB_TASKMODAL);
    if (editor_) editor_->BringToFront();
    return;
  }
  RewriteResult result = RewriteResult::Done;
  if (selected >= 0 &&
      MessageBoxA(nullptr, "Are you sure you want to delete this search?", "Delete", MB_YESNO | MB_TASKMODAL) == IDYES)
    result = DeleteSearch(paths_.searchList, selected + 1, searchLines_[selected]);
  if (result == RewriteResult::Failed) {
    const std::string message = SearchListFileMessage(paths_.searchList, "written");
    MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_TASKMODAL);
  }
  ReloadSearchList();
  if (result == RewriteResult::LineChanged) MessageBoxA(nullptr, kSearchListChanged, "Error", MB_OK | MB_TASKMODAL);
}

void ManagerDialog::EditorClosed(SearchEditorDialog* editor) {
  if (editor_ != editor) return;
  editor_ = nullptr;
  if (Handle()) EnableItem(IDOK, true);
}
