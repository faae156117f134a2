// The search editor: fills its fields from the file for a change, checks and saves them.
#include "manager/search_editor_dialog.h"

#include <string>

#include "common/search_list.h"
#include "manager/core/search_rows.h"
#include "manager/core/watched_address.h"
#include "manager/manager_dialog.h"
#include "manager/manager_ids.h"

int EditTarget = -1;

namespace {
constexpr UINT kBoxStyle = MB_TASKMODAL;  // no owner, yet nothing else of the program is usable meanwhile
}  // namespace

bool SearchEditorDialog::OnInit() {
  if (EditTarget >= 1) Fill();
  return true;
}

void SearchEditorDialog::Fill() {
  // The row's own line: the search the user chose, even if the file has changed since it was
  // loaded (Save then finds that out and writes nothing).
  SearchTexts texts{};
  ParseSearchTexts(loadedLine_.c_str(), texts);  // what does not scan stays empty, for the user to fix
  SetItemText(kEditorDescription, texts.description);
  SetItemText(kEditorUrl, texts.url);
  // The beginning of a long address is what tells one search from another.
  SendMessageA(Item(kEditorUrl), EM_SETSEL, 0, 0);
  SendMessageA(Item(kEditorUrl), EM_SCROLLCARET, 0, 0);
  SetItemText(kEditorPrice, texts.price);
  SetItemText(kEditorDays, texts.days);
  SetItemText(kEditorHours, texts.hours);
  SetItemText(kEditorMinutes, texts.minutes);
}

EditorFields SearchEditorDialog::ReadFields() const {
  return {ItemText(kEditorDescription), ItemText(kEditorUrl), ItemText(kEditorDays),
          ItemText(kEditorHours),       ItemText(kEditorMinutes), ItemText(kEditorPrice)};
}

bool SearchEditorDialog::Ask(const char* text, const char* caption, UINT type, int* answer) {
  ++asking_;
  const int chosen = MessageBoxA(nullptr, text, caption, type | kBoxStyle);
  --asking_;
  if (gone_) {
    delete this;
    return false;
  }
  if (answer) *answer = chosen;
  return true;
}

void SearchEditorDialog::OnOk() {
  const EditorFields fields = ReadFields();
  if (!Item(kEditorDescription) || !main_.SearchList().Handle()) {
    if (!Ask("Cannot save search, Check your entry.", "Error", MB_OK, nullptr)) return;
    Close();
    return;
  }

  const bool isNew = EditTarget <= 0;
  // A new search with an empty field is dropped without a word, as it always was.
  if (isNew && HasEmptyField(fields)) {
    Close();
    return;
  }
  // Anything the file could not hold whole is refused; the editor stays open to fix it.
  if (const char* problem = InputProblemMessage(CheckSearchInput(fields))) {
    Ask(problem, "Error", MB_OK, nullptr);
    return;
  }
  if (!IsWatchableAddress(fields.url)) {
    Ask(kOnlyHttpMessage, "Error", MB_OK, nullptr);
    return;
  }

  const SearchTexts texts = ToSearchTexts(fields);
  const char* listPath = main_.Paths().searchList;
  const std::string notWritten = SearchListFileMessage(listPath, "written");
  if (isNew) {
    if (AppendSearch(listPath, texts)) {
      main_.AddSearchRow(FormatAddedRow(texts), FormatAddForm(texts));
    } else if (!Ask(notWritten.c_str(), "Error", MB_OK, nullptr)) {
      return;
    }
  } else {
    int answer = IDNO;
    if (!Ask("Do you want to save your changes?", "Modify", MB_YESNO, &answer)) return;
    if (answer == IDYES) {
      const RewriteResult result = ReplaceSearch(listPath, EditTarget, loadedLine_, texts);
      // Refilled whatever came of it: a line that changed meanwhile is no longer the search the
      // editor was opened for, and the user chooses afresh from the list as it is now.
      main_.RefillSearchList();
      if (result == RewriteResult::LineChanged && !Ask(kSearchListChanged, "Error", MB_OK, nullptr)) return;
      if (result == RewriteResult::Failed && !Ask(notWritten.c_str(), "Error", MB_OK, nullptr)) return;
    }
  }
  EditTarget = -1;
  Close();
}

void SearchEditorDialog::OnCancel() { Close(); }

void SearchEditorDialog::Close() {
  main_.EditorClosed(this);
  Destroy();
}

void SearchEditorDialog::OnDestroyed() {
  // Also reached when the main window ends and takes its owned editor with it.
  main_.EditorClosed(this);
  if (asking_) {
    gone_ = true;  // freed when the question returns
    return;
  }
  delete this;
}
