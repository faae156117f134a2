// ManagerDialog: the manager's main window (template 102) with its three tab pages.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "manager/color_list_box.h"
#include "manager/core/health_rows.h"
#include "manager/core/manager_paths.h"
#include "platform/dialog.h"
#include "platform/list_box.h"

class BargainHistoryDialog;
class SearchEditorDialog;

// Shown (caption "Error") when a change or delete found its line changed since it was loaded.
constexpr char kSearchListChanged[] = "The search list has changed. It has been loaded again.";

// Fills paths from the settings value "Folder"; the defaults when it cannot be used.
void ResolvePaths(ManagerPaths& paths);

class ManagerDialog : public ModalDialog {
 public:
  ManagerDialog();

  const ManagerPaths& Paths() const { return paths_; }
  ListBox& SearchList() { return searches_; }

  // Search list page (manager_dialog_search_list.cpp).
  void LoadSearchList();
  // Refills the list after a change, each row in the change reading.
  void RefillSearchList();
  // Clears the list and loads it again, as after a delete.
  void ReloadSearchList();
  // Adds a row for a search stored as line.
  void AddSearchRow(const std::string& row, const std::string& line);
  // The editor has closed: forget it and enable Done again.
  void EditorClosed(SearchEditorDialog* editor);
  // Search health (manager_dialog_health.cpp): the notice under the search list, refreshed with it.
  void UpdateHealthNotice();
  // The watching line (manager_dialog_watching.cpp): whether the continuous poller runs, and
  // when its last pass began. Checked at opening and on a timer.
  void UpdateWatchingLine();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  // Done, the close box and Escape: an open bargain history closes first.
  void OnOk() override;
  void OnCancel() override;

 private:
  void ShowPage(int page);
  void AlignResultColumns();
  // False when the shell could not start it.
  bool LaunchPoller(const char* commandSwitch);
  bool PaintMinimised();

  // Search list page.
  void FillSearchList(std::string (*formatRow)(const char* line), bool setTabStops);
  void ClearSearchList();
  void AddSearch();
  void ModifySearch();
  void DeleteSelectedSearch();
  void OpenEditor(int target);

  // Search health.
  std::vector<HealthRow> CurrentHealthRows() const;
  void ShowSearchHealth();
  bool ColorHealthNotice(HDC dc, HWND control, INT_PTR& result) const;

  // Bargain history (manager_dialog_history.cpp).
  void ShowBargainHistory();
  void CloseBargainHistory();

  // Watching line.
  void StartWatchingTimer();
  bool OnWatchingTimer(WPARAM timer);
  void StartWatching();
  void RereadLastPass();

  // Results page (manager_dialog_results.cpp).
  void LoadResults();
  void OpenResultItem();

  ListBox searches_;
  // The bytes of the line each row of searches_ came from, without its line end: a change or
  // delete goes ahead only while its line still holds them.
  std::vector<std::string> searchLines_;
  ColorListBox results_;
  HICON icon_ = nullptr;
  SearchEditorDialog* editor_ = nullptr;
  BargainHistoryDialog* history_ = nullptr;  // while it runs
  ManagerPaths paths_;
  std::string healthNotice_;
  // The pass log as last read for the watching line: its path, write time and size, and the
  // time of its last pass (kept while a new log has none yet).
  std::string watchedLog_;
  FILETIME watchedLogTime_{};
  ULARGE_INTEGER watchedLogSize_{};
  std::string lastPass_;
  // When Start watching was clicked: the button stays disabled until the poller is seen, or a
  // while has passed, so that a second click does not start a second poller.
  bool startingPoller_ = false;
  DWORD startingSince_ = 0;
};
