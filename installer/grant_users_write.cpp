// Grants the local Users group read and write access to a key under HKEY_LOCAL_MACHINE, so
// that the settings dialog can save without elevation. Run by the installer: argv[1] is the key.
#include <windows.h>
#include <aclapi.h>

namespace {

bool GrantUsersWrite(const char* keyPath) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;

  bool ok = false;
  PACL oldAcl = nullptr;
  PACL newAcl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PSID users = nullptr;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  if (GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldAcl, nullptr,
                      &descriptor) == ERROR_SUCCESS &&
      AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                               &users)) {
    EXPLICIT_ACCESS_A access{};
    access.grfAccessPermissions = KEY_READ | KEY_WRITE;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(users);
    ok = SetEntriesInAclA(1, &access, oldAcl, &newAcl) == ERROR_SUCCESS &&
         SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, newAcl, nullptr) ==
             ERROR_SUCCESS;
  }
  if (users) FreeSid(users);
  if (newAcl) LocalFree(newAcl);
  if (descriptor) LocalFree(descriptor);
  RegCloseKey(key);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return GrantUsersWrite(argv[1]) ? 0 : 1;
}
