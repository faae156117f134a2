// Helpers for tests that run the real programs under Wine: processes, folders, files, registry.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "tests/support/test_text.h"

namespace testing_support {

// The folder of the running test program; lotwise.exe and LotwiseMgr.exe lie beside it.
std::string BinDir();
std::string ProgramPath(const char* exeName);  // BinDir() + "\\" + exeName

// Waits until condition() holds, up to timeoutMs; its last answer.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(25);
  }
  return true;
}

// A started program. Its destructor ends it if it still runs, so a test that fails halfway
// never leaves a dialog behind for the next one.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;
  ~ChildProcess();

  // Starts "exe" with the given argument text in workDir (empty: the current folder).
  bool Start(const std::string& exe, const std::string& arguments, const std::string& workDir = "");
  // Waits up to timeoutMs; true when it ended, with its exit code.
  bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
  bool IsRunning() const;
  void Terminate();
  DWORD Id() const { return id_; }

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

// Runs a program to its end. Returns its exit code, or -2 when it did not end in time
// (it is then killed) or could not start.
long RunProgram(const std::string& exe, const std::string& arguments, const std::string& workDir = "",
                DWORD timeoutMs = 30000);

// A fresh, empty folder below the current one, removed with its content at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// The whole-file reads and writes and the line splitters of every test (tests/support/test_text.h).
using ::CompleteLines;
using ::ReadFileBytes;
using ::SplitLines;
using ::WriteFileBytes;
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);

// Snapshot of a registry key under HKEY_LOCAL_MACHINE: the constructor saves its values and
// deletes the key, the destructor puts back exactly what was there.
class ScopedRegistryKey {
 public:
  explicit ScopedRegistryKey(const char* path);
  ~ScopedRegistryKey();

 private:
  struct Value {
    std::string name;
    DWORD type;
    std::string data;
  };
  std::string path_;
  bool existed_ = false;
  std::vector<Value> values_;
};

// Registry access for assertions: a value's type and exact data bytes.
struct RegistryValue {
  bool exists = false;
  DWORD type = 0;
  std::string data;
};
RegistryValue QueryValue(HKEY root, const char* path, const char* name);
bool SetStringValue(HKEY root, const char* path, const char* name, const std::string& data);
void DeleteKeyTree(HKEY root, const char* path);

}  // namespace testing_support
