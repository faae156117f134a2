// The Search List page: loading the rows, and Add, Modify and Delete Search.
#include <cerrno>
#include <cstdio>
#include <string>

#include "common/search_list.h"
#include "manager/core/search_rows.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"
#include "manager/search_editor_dialog.h"

namespace {

// Every physical line gets a row, so that row i is always line i + 1.
template <typename FormatRow>
void FillFromFile(ListBox& list, const char* path, FormatRow formatRow, bool setTabStops) {
  std::FILE* file = OpenListForReading(path);
  if (!file) return;
  std::string line;
  while (ReadFileLine(file, line)) {
    if (setTabStops) {
      const auto& s = kSearchListTabStops;
      list.SetTabStops({s[0], s[1], s[2], s[3], s[4]});
    }
    list.Add(formatRow(line.c_str()).c_str());
  }
  std::fclose(file);
}

}  // namespace

void ManagerDialog::LoadSearchList() {
  ResolvePaths(paths_);
  const char* failure = nullptr;
  std::FILE* file = OpenListForReading(paths_.searchList);
  if (file) {
    std::fclose(file);
  } else if (errno == ENOENT) {
    // Only a missing list is built from the old one: an unreadable list is never overwritten.
    if (!ConvertOldSearchList(paths_.oldSearchList, paths_.searchList)) failure = " could not be written.";
  } else {
    // Locked by another program, or no right to read it: the list shows empty, and the user
    // must know why before changing anything.
    failure = " could not be read.";
  }
  if (failure) {
    const std::string message = std::string("The search list ") + paths_.searchList + failure;
    MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_TASKMODAL);
  }
  FillFromFile(searches_, paths_.searchList, FormatLoadedRow, true);
}

void ManagerDialog::RefillSearchList() {
  searches_.Clear();
  FillFromFile(searches_, paths_.searchList, FormatChangedRow, false);
}

void ManagerDialog::OpenEditor(int target) {
  if (editor_) {
    editor_->BringToFront();
    return;
  }
  EditTarget = target;
  auto* editor = new SearchEditorDialog(*this);
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
  if (selected < 0) return;
  OpenEditor(selected + 1);
}

void ManagerDialog::DeleteSelectedSearch() {
  const int selected = searches_.Selected();
  // A delete would shift the line the open editor is to change: finish that change first.
  if (selected >= 0 && editor_ && EditTarget >= 1) {
    MessageBoxA(nullptr, "Save or cancel the search you are changing before deleting a search.", "Error",
                MB_OK | MB_TASKMODAL);
    if (editor_) editor_->BringToFront();
    return;
  }
  if (selected >= 0 &&
      MessageBoxA(nullptr, "Are you sure you want to delete this search?", "Delete", MB_YESNO | MB_TASKMODAL) == IDYES &&
      !DeleteSearch(paths_.searchList, selected + 1)) {
    const std::string message = std::string("The search list ") + paths_.searchList + " could not be written.";
    MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_TASKMODAL);
  }
  searches_.Clear();
  LoadSearchList();
}

void ManagerDialog::EditorClosed(SearchEditorDialog* editor) {
  if (editor_ != editor) return;
  editor_ = nullptr;
  if (Handle()) EnableItem(IDOK, true);
}
