// DLLs of the system that Windows does not pin to System32 (the KnownDLLs
// list). The program runs elevated from wherever it was saved, a Downloads
// folder included, and Windows looks for such a DLL in the program's own
// folder first: so none of them is imported, each is loaded here by name
// from System32 only, and a missing or damaged one only leaves its functions
// unavailable.
#pragma once
#include "platform/win32/windows_clean.h"

namespace qm::win32 {

// The first thing the program does: every later search for a DLL by name,
// the system's own included, looks in System32 only. False where Windows
// lacks SetDefaultDllDirectories (before 8, without its update KB2533623):
// then only the current folder is taken out of the search, the program's
// own folder is still searched first, and the program must not run
// (core/safe_start.h).
bool RestrictDllSearchToSystem32();
// What the call above achieved: false before it was made.
bool DllSearchIsRestricted();

// One DLL of System32, loaded for the lifetime of the object.
class SystemLibrary {
public:
    // LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32: the name goes through
    // the activation context first (the manifest's comctl32 version 6), then
    // System32, never the program's folder or the current one. Where Windows
    // lacks the flag, the file of System32 is loaded by its full path, which
    // the activation context does not redirect (comctl32 then comes in its
    // version 5: the classic look, still no planted copy).
    explicit SystemLibrary(const wchar_t* name);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    // The exported function, typed; nullptr when the library or the export is missing.
    template <class Function>
    Function* Find(const char* name) const {
        return module_ ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_ = nullptr;
};

// comctl32 as the program uses it, loaded once on first use and kept for
// the whole run (its window classes must outlive every window).
struct CommonControls {
    decltype(&::InitCommonControlsEx) InitCommonControlsEx = nullptr;
    decltype(&::ImageList_LoadImageW) ImageList_LoadImageW = nullptr;
    decltype(&::ImageList_Destroy) ImageList_Destroy = nullptr;
    decltype(&::ImageList_Draw) ImageList_Draw = nullptr;
};
// nullptr when comctl32 or one of the functions is missing.
const CommonControls* LoadCommonControls();

}  // namespace qm::win32
