// A real LotwiseMgr.exe under test: its own shared folder named by "Folder", its own current
// directory, and the ways a user reaches its controls.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace testing_support {

constexpr char kManagerCaption[] = "Lotwise Manager V2.3";
constexpr char kEditorCaption[] = "Lotwise Search Editor";

// Without a window manager, Wine waits two seconds for every closing window that it thinks a
// window manager looks after; while it lives, Wine is told that no window is looked after.
class UnmanagedWindows {
 public:
  UnmanagedWindows();
  ~UnmanagedWindows();
  UnmanagedWindows(const UnmanagedWindows&) = delete;
  UnmanagedWindows& operator=(const UnmanagedWindows&) = delete;

 private:
  RegistryValue saved_;
};

class ManagerSession {
 public:
  // name: the scratch folder that "Folder" names; name + "-cwd": the manager's current directory.
  explicit ManagerSession(const std::string& name);
  ~ManagerSession();

  // Starts the manager and waits for its main window.
  bool Start();
  // The same with a copy of the manager in a folder of its own (name + "-program") and the
  // stand-in poller beside it as lotwise.exe: each launch is recorded in "launch.txt" of the
  // folder it was started in.
  bool StartBesideStandInPoller();
  // Done, then waits for the program to end.
  bool Close();
  HWND Window() const { return window_; }
  ChildProcess& Process() { return process_; }

  const std::string& Folder() const { return folder_.Path(); }
  std::string FolderFile(const std::string& name) const { return folder_.File(name); }
  const std::string& CurrentDir() const { return currentDir_.Path(); }

  // The files of the folder, as bytes (CR LF on disk) and as text lines (without line ends).
  std::string ListBytes() const { return ReadFileBytes(FolderFile("lotwise2.ini")); }
  void WriteList(const std::string& bytes) const { WriteFileBytes(FolderFile("lotwise2.ini"), bytes); }
  void WriteLog(const std::string& bytes) const { WriteFileBytes(FolderFile("lotwise.txt"), bytes); }

  // Switches the tab as a user's click would, with its notification.
  void ShowTab(int index) const;
  int CurrentTab() const;
  // Waits for the search editor; null when it did not appear.
  HWND WaitForEditor() const;

 private:
  UnmanagedWindows unmanaged_;
  std::unique_ptr<ScopedRegistryKey> settings_;
  ScratchFolder folder_;
  ScratchFolder currentDir_;
  std::unique_ptr<ScratchFolder> programFolder_;
  ChildProcess process_;
  HWND window_ = nullptr;

  bool StartProgram(const std::string& manager);
  std::string name_;
};


}  // namespace testing_support
