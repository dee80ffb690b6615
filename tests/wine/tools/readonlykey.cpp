// Makes a registry key read-only for everyone, administrators included, the way a
// locked-down product key looks:  readonlykey <HKLM subkey>
// The key is opened in the 32-bit view, where the program's writes land.

#include <windows.h>

#include <aclapi.h>
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: readonlykey <HKLM subkey>\n");
        return 64;
    }
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[1], 0, nullptr, 0,
                                  WRITE_DAC | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot open the key: %ld\n", status);
        return 2;
    }
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = KEY_READ;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL acl = nullptr;
    DWORD result = SetEntriesInAclW(1, &access, nullptr, &acl);
    if (result == ERROR_SUCCESS) {
        // Protected: nothing inherited from the parent adds rights back.
        result = SetSecurityInfo(key, SE_REGISTRY_KEY,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, acl, nullptr);
    }
    LocalFree(acl);
    FreeSid(everyone);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot set the key's security: %lu\n", result);
        return 2;
    }
    return 0;
}
