// RegistryKey: the handful of registry calls both programs make.
#include "platform/registry_key.h"

#include <string>

bool RegistryKey::Open(HKEY root, const char* path, REGSAM access) {
  Close();
  return RegOpenKeyExA(root, path, 0, access, &key_) == ERROR_SUCCESS || (key_ = nullptr, false);
}

bool RegistryKey::Create(HKEY root, const char* path, REGSAM access) {
  Close();
  DWORD disposition = 0;
  char emptyClass[] = "";
  return RegCreateKeyExA(root, path, 0, emptyClass, REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                         &disposition) == ERROR_SUCCESS ||
         (key_ = nullptr, false);
}

void RegistryKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

bool RegistryKey::SetString(const char* name, const void* data, DWORD length) {
  if (!key_) return false;
  // RegSetValueExA stores one byte more than asked when the text's last byte is not a NUL and
  // the byte after it is one ("the caller forgot the terminator"). A value meant to be stored
  // without its NUL is therefore handed over from a copy followed by a non-NUL byte.
  std::string copy(static_cast<const char*>(data), length);
  copy.push_back('\x01');
  return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(copy.data()), length) == ERROR_SUCCESS;
}

bool RegistryKey::Query(const char* name, char* buffer, DWORD size, DWORD* length) const {
  if (!key_) return false;
  DWORD dataLength = size;
  if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &dataLength) != ERROR_SUCCESS)
    return false;
  if (dataLength > size) return false;
  *length = dataLength;
  return true;
}
