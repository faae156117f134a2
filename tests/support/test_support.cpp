// Test support: child processes, scratch folders, file bytes and registry snapshots.
#include "tests/support/test_support.h"

#include <shlwapi.h>

#include "platform/registry_key.h"

#include <cstdio>
#include <cstring>

namespace testing_support {

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of("\\/"));
}

std::string ProgramPath(const char* exeName) { return BinDir() + "\\" + exeName; }

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::string& exe, const std::string& arguments, const std::string& workDir) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_.Reset(info.hProcess);
  id_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_) return false;
  if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_.Get(), exitCode);
  return true;
}

bool ChildProcess::IsRunning() const { return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }

void ChildProcess::Terminate() {
  if (IsRunning()) {
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 5000);
  }
  process_.Reset();
}

long RunProgram(const std::string& exe, const std::string& arguments, const std::string& workDir, DWORD timeoutMs) {
  ChildProcess child;
  if (!child.Start(exe, arguments, workDir)) return -2;
  DWORD code = 0;
  if (!child.Wait(timeoutMs, &code)) return -2;
  return static_cast<long>(code);
}

ScratchFolder::ScratchFolder(const std::string& name) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  path_ = std::string(current) + "\\" + name;
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
}

ScopedRegistryKey::ScopedRegistryKey(const char* path) : path_(path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    existed_ = true;
    for (DWORD index = 0;; ++index) {
      char name[16384];
      DWORD nameLength = sizeof name;
      DWORD type = 0;
      DWORD dataLength = 0;
      if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &dataLength) != ERROR_SUCCESS) break;
      std::string data(dataLength, '\0');
      nameLength = sizeof name;
      RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &dataLength);
      data.resize(dataLength);
      values_.push_back({name, type, data});
    }
    RegCloseKey(key);
  }
  DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
}

ScopedRegistryKey::~ScopedRegistryKey() {
  DeleteKeyTree(HKEY_LOCAL_MACHINE, path_.c_str());
  if (!existed_) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  for (const Value& value : values_)
    RegSetValueExA(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                   static_cast<DWORD>(value.data.size()));
  RegCloseKey(key);
}

RegistryValue QueryValue(HKEY root, const char* path, const char* name) {
  // Asked in UTF-16: the A form re-terminates text values, hiding how many bytes were stored.
  // Each stored character is narrowed back to its byte.
  RegistryValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  std::wstring wideName(name, name + strlen(name));
  DWORD length = 0;
  if (RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &length) == ERROR_SUCCESS) {
    std::string raw(length, '\0');
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(&raw[0]), &length) ==
        ERROR_SUCCESS) {
      value.exists = true;
      raw.resize(length);
      if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        for (size_t i = 0; i + 1 < raw.size(); i += 2) value.data += raw[i];
      } else {
        value.data = raw;
      }
    }
  }
  RegCloseKey(key);
  return value;
}

bool SetStringValue(HKEY root, const char* path, const char* name, const std::string& data) {
  RegistryKey key;
  return key.Create(root, path, KEY_WRITE) && key.SetString(name, data.data(), static_cast<DWORD>(data.size()));
}

void DeleteKeyTree(HKEY root, const char* path) { SHDeleteKeyA(root, path); }

}  // namespace testing_support
