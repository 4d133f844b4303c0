// Test tool: takes write access to a key of HKEY_LOCAL_MACHINE away from everyone, the way
// an administrator's policy leaves a limited user with read access only, then runs a
// program and waits for it.
//   key_rights.exe <subkey> [program [arguments]]
// Wine keeps access lists only while its server runs, so the program is started from here,
// inside the same session. Exit code: the program's, or 0 when there is none; 1 when the
// key could not be locked.
#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: key_rights <subkey of HKEY_LOCAL_MACHINE> [program ...]\n");
        return 2;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS) {
        std::fprintf(stderr, "key_rights: cannot open %s\n", argv[1]);
        return 1;
    }
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = KEY_READ;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;  // subkeys keep their own access lists
    entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    entry.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL acl = nullptr;
    DWORD status = SetEntriesInAclA(1, &entry, nullptr, &acl);
    if (status == ERROR_SUCCESS)
        status = SetSecurityInfo(key, SE_REGISTRY_KEY,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, acl, nullptr);
    if (acl) LocalFree(acl);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "key_rights: cannot set the access list (%lu)\n", status);
        return 1;
    }
    // Prove it: the key no longer opens for writing.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        std::fprintf(stderr, "key_rights: %s still opens for writing\n", argv[1]);
        return 1;
    }
    if (argc == 2) return 0;

    // The rest of the command line, as given, after the subkey.
    const char* rest = GetCommandLineA();
    for (int skip = 0; skip < 2; ++skip) {
        bool quoted = *rest == '"';
        rest += quoted ? 1 : 0;
        while (*rest && (quoted ? *rest != '"' : *rest != ' ')) ++rest;
        if (quoted && *rest) ++rest;
        while (*rest == ' ') ++rest;
    }
    std::string command = rest;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "key_rights: cannot start %s\n", command.c_str());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
