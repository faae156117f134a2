// An owned HKEY, closed exactly once.
#pragma once
#include <windows.h>

#include <string>

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // RegOpenKeyExA with the given access; false when the key cannot be opened.
  bool Open(HKEY root, const char* path, REGSAM access);
  // RegCreateKeyExA: non-volatile, empty class name; opens the key when it exists.
  bool Create(HKEY root, const char* path, REGSAM access);
  void Close();
  bool IsOpen() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

  // RegSetValueExA as REG_SZ with exactly length bytes of data (the caller decides on the NUL).
  bool SetString(const char* name, const void* data, DWORD length);
  // RegQueryValueExA into buffer (size bytes); on success *length holds the data length.
  // False when the value is missing or its data does not fit.
  bool Query(const char* name, char* buffer, DWORD size, DWORD* length) const;

 private:
  HKEY key_ = nullptr;
};
