// What the Wine tests do to the registry that regedit cannot: play a program
// running as the user that puts a deny entry on one of its keys, or writes a
// value whose name holds a NUL through the native counted-name call.
//
//   qm_regtool deny KEY MASK         the key's ACL: deny Everyone MASK (hex),
//                                    allow Everyone the rest
//   qm_regtool undeny KEY            the key's ACL: allow Everyone everything
//   qm_regtool set-counted KEY NAME TEXT
//                                    a REG_SZ value; "\0" in NAME is a NUL
//   qm_regtool try-open KEY MASK     prints what opening with MASK (hex) gives
//   qm_regtool list KEY              every value as NAME=TEXT, a NUL in a
//                                    name or text shown as "\0"
//   qm_regtool value KEY NAME        one value's type and all of its data as
//                                    stored: "7:one\0two\0\0" for text types
//                                    (in UTF-8), the bytes in hex for others
//
// KEY is below HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE ("HKCU\..." or
// "HKLM\..."). The exit code is 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct CountedUnicodeString {  // UNICODE_STRING
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
};

using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE, CountedUnicodeString*, ULONG, ULONG, PVOID, ULONG);

std::wstring Wide(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '\\' && p[1] == '0') {
            out.push_back(L'\0');
            ++p;
        } else {
            out.push_back(static_cast<unsigned char>(*p));
        }
    }
    return out;
}

bool OpenKey(const char* path, REGSAM access, HKEY& key) {
    HKEY root = nullptr;
    if (!strncmp(path, "HKCU\\", 5)) root = HKEY_CURRENT_USER;
    if (!strncmp(path, "HKLM\\", 5)) root = HKEY_LOCAL_MACHINE;
    if (!root) return false;
    const LONG rc = RegOpenKeyExA(root, path + 5, 0, access, &key);
    if (rc != ERROR_SUCCESS) fprintf(stderr, "open %s: %ld\n", path, rc);
    return rc == ERROR_SUCCESS;
}

// A DACL of an optional deny entry for Everyone, then allow Everyone all.
int SetAcl(const char* path, DWORD denied) {
    HKEY key;
    if (!OpenKey(path, WRITE_DAC, key)) return 1;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    std::vector<BYTE> buffer(1024);
    auto* acl = reinterpret_cast<PACL>(buffer.data());
    InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION);
    if (denied) AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    const LONG rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    FreeSid(everyone);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) fprintf(stderr, "RegSetKeySecurity: %ld\n", rc);
    return rc == ERROR_SUCCESS ? 0 : 1;
}

int SetCounted(const char* path, const char* name, const char* text) {
    HKEY key;
    if (!OpenKey(path, KEY_SET_VALUE, key)) return 1;
    auto set = reinterpret_cast<NtSetValueKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
    std::wstring wideName = Wide(name), data = Wide(text);
    data.push_back(L'\0');
    CountedUnicodeString counted{static_cast<USHORT>(wideName.size() * sizeof(wchar_t)),
                                 static_cast<USHORT>(wideName.size() * sizeof(wchar_t)), wideName.data()};
    const LONG status = set(key, &counted, 0, REG_SZ, data.data(), static_cast<ULONG>(data.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    if (status != 0) fprintf(stderr, "NtSetValueKey: 0x%lx\n", static_cast<unsigned long>(status));
    return status == 0 ? 0 : 1;
}

void PrintCounted(const wchar_t* text, size_t chars) {
    for (size_t i = 0; i < chars; ++i) {
        if (text[i] == L'\0') {
            fputs("\\0", stdout);
        } else {
            putchar(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
        }
    }
}

int List(const char* path) {
    HKEY key;
    if (!OpenKey(path, KEY_QUERY_VALUE, key)) return 1;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        BYTE data[4096];
        DWORD nameChars = 16384, size = sizeof(data), type = 0;
        if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        PrintCounted(name, nameChars);
        putchar('=');
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            size_t chars = size / sizeof(wchar_t);
            if (chars && reinterpret_cast<wchar_t*>(data)[chars - 1] == L'\0') --chars;
            PrintCounted(reinterpret_cast<wchar_t*>(data), chars);
        } else {
            printf("(type %lu, %lu bytes)", type, size);
        }
        putchar('\n');
    }
    RegCloseKey(key);
    return 0;
}

// Text as stored, in UTF-8, a NUL shown as "\0".
void PrintUtf8(const wchar_t* text, size_t chars) {
    for (size_t i = 0; i < chars;) {
        size_t run = i;
        while (run < chars && text[run] != L'\0') ++run;
        if (run > i) {
            const int n =
                WideCharToMultiByte(CP_UTF8, 0, text + i, static_cast<int>(run - i), nullptr, 0, nullptr, nullptr);
            std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
            if (n > 0)
                WideCharToMultiByte(CP_UTF8, 0, text + i, static_cast<int>(run - i), utf8.data(), n, nullptr, nullptr);
            fputs(utf8.c_str(), stdout);
        }
        if (run < chars) fputs("\\0", stdout);
        i = run + 1;
    }
}

int Value(const char* path, const char* name) {
    HKEY key;
    if (!OpenKey(path, KEY_QUERY_VALUE, key)) return 1;
    std::vector<BYTE> data(65536);
    DWORD size = static_cast<DWORD>(data.size()), type = 0;
    const std::wstring wideName = Wide(name);
    const LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        printf("absent (%ld)\n", rc);
        return 0;
    }
    printf("%lu:", type);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
        PrintUtf8(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    else
        for (DWORD i = 0; i < size; ++i) printf("%02x", data[i]);
    putchar('\n');
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !strcmp(argv[1], "deny")) return SetAcl(argv[2], strtoul(argv[3], nullptr, 16));
    if (argc == 3 && !strcmp(argv[1], "undeny")) return SetAcl(argv[2], 0);
    if (argc == 5 && !strcmp(argv[1], "set-counted")) return SetCounted(argv[2], argv[3], argv[4]);
    if (argc == 3 && !strcmp(argv[1], "list")) return List(argv[2]);
    if (argc == 4 && !strcmp(argv[1], "value")) return Value(argv[2], argv[3]);
    if (argc == 4 && !strcmp(argv[1], "try-open")) {
        HKEY root = !strncmp(argv[2], "HKLM\\", 5) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key = nullptr;
        const LONG rc = RegOpenKeyExA(root, argv[2] + 5, 0, strtoul(argv[3], nullptr, 16), &key);
        if (rc == ERROR_SUCCESS) RegCloseKey(key);
        printf("open %s: %ld\n", argv[3], rc);
        return 0;
    }
    fputs("usage: qm_regtool deny|undeny|set-counted|list|value KEY ...\n", stderr);
    return 2;
}
