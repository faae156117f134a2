// SearchEditorDialog: the modeless search editor (template 130) for a new or a changed search.
#pragma once
#include <string>
#include <utility>

#include "manager/core/search_input.h"
#include "manager/manager_ids.h"
#include "platform/dialog.h"

class ManagerDialog;

// What the editor saves: -1 a new search, n >= 1 the search on line n of the file.
extern int EditTarget;

class SearchEditorDialog : public ModelessDialog {
 public:
  // loadedLine: for a change, the bytes of the line the selected row was loaded from.
  SearchEditorDialog(ManagerDialog& main, std::string loadedLine)
      : ModelessDialog(kSearchEditorDialogId), main_(main), loadedLine_(std::move(loadedLine)) {}

 protected:
  bool OnInit() override;
  void OnOk() override;  // Save
  void OnCancel() override;
  void OnDestroyed() override;

 private:
  void Fill();
  EditorFields ReadFields() const;
  // Asks the user; false when the editor was destroyed meanwhile (the object is then gone).
  bool Ask(const char* text, const char* caption, UINT type, int* answer);
  void Close();

  ManagerDialog& main_;
  const std::string loadedLine_;
  int asking_ = 0;
  bool gone_ = false;
};
