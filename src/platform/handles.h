// The handles the platform gives out, one type per kind: a service handle
// cannot be passed where a key is wanted, nor a process where a window is.
// Each holds the machine's own value, opaque to the logic; 0 is none.
#pragma once
#include <compare>
#include <cstdint>

namespace qm {

template <class Kind>
class PlatformHandle {
public:
    constexpr PlatformHandle() = default;
    constexpr explicit PlatformHandle(std::uintptr_t value) : value_(value) {}

    constexpr std::uintptr_t Value() const { return value_; }
    constexpr explicit operator bool() const { return value_ != 0; }
    friend constexpr bool operator==(PlatformHandle, PlatformHandle) = default;
    friend constexpr auto operator<=>(PlatformHandle, PlatformHandle) = default;

private:
    std::uintptr_t value_ = 0;
};

using KeyHandle = PlatformHandle<struct KeyKind>;              // HKEY, the predefined root keys included
using ScManagerHandle = PlatformHandle<struct ScManagerKind>;  // SC_HANDLE of the service control manager
using ServiceHandle = PlatformHandle<struct ServiceKind>;      // SC_HANDLE of one service
using TokenHandle = PlatformHandle<struct TokenKind>;          // an access token
using ProcessHandle = PlatformHandle<struct ProcessKind>;      // a process the program started
using ThreadHandle = PlatformHandle<struct ThreadKind>;        // that process's first thread
using WindowHandle = PlatformHandle<struct WindowKind>;        // a window of another program
using IconHandle = PlatformHandle<struct IconKind>;            // an icon the shell made for the program
using ImageListHandle = PlatformHandle<struct ImageListKind>;  // one of the shell's system image lists
using FileHandle = PlatformHandle<struct FileKind>;  // a file or folder opened as itself, never through a link

}  // namespace qm
