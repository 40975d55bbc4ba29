// The one owner of a handle: it gives the handle back when it goes out of
// scope, so that the routine that got a handle releases it on every path.
// Platform handles go back through the interface that gave them out; the
// windows use the same template for their fonts and icons, and the Win32
// adapters and the report's entry for the API's own handles
// (win32/win32_handles.h).
#pragma once
#include <utility>

#include "platform/platform.h"

namespace qm {

template <class Handle, class Release>
class Owner {
public:
    Owner() = default;
    Owner(Release release, Handle handle) : release_(std::move(release)), handle_(handle) {}
    ~Owner() { Reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    // A handle changes owners whole: the one moved from holds nothing, and
    // the one moved to gives back what it held before.
    Owner(Owner&& other) noexcept : release_(std::move(other.release_)), handle_(other.Detach()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            Reset();
            release_ = std::move(other.release_);
            handle_ = other.Detach();
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return static_cast<bool>(handle_); }

    // Holds `handle` from now on, giving back the one held before unless it
    // is the same.
    void Reset(Handle handle = Handle{}) {
        if (handle_ && !(handle_ == handle)) release_(handle_);
        handle_ = handle;
    }
    // Gives the handle up without giving it back, to whoever owns it next.
    Handle Detach() { return std::exchange(handle_, Handle{}); }

private:
    Release release_{};
    Handle handle_{};
};

// The platform call that gives each kind of handle back.
inline void ReleaseHandle(IRegistry& registry, KeyHandle key) { registry.CloseKey(key); }
inline void ReleaseHandle(IServices& services, ScManagerHandle manager) { services.CloseServiceHandle(manager); }
inline void ReleaseHandle(IServices& services, ServiceHandle service) { services.CloseServiceHandle(service); }
inline void ReleaseHandle(IToken& token, TokenHandle handle) { token.CloseToken(handle); }
inline void ReleaseHandle(IProcesses& processes, ProcessHandle process) { processes.CloseHandle(process); }
inline void ReleaseHandle(IProcesses& processes, ThreadHandle thread) { processes.CloseHandle(thread); }
inline void ReleaseHandle(IShell& shell, IconHandle icon) { shell.DestroyIcon(icon); }
inline void ReleaseHandle(IFiles& files, FileHandle file) { files.CloseEntry(file); }

// Releases through the interface `Api` that gave the handle out.
template <class Api>
class ReleaseThrough {
public:
    ReleaseThrough() = default;
    ReleaseThrough(Api& api) : api_(&api) {}  // NOLINT: an owner is made from its interface
    template <class Handle>
    void operator()(Handle handle) const {
        ReleaseHandle(*api_, handle);
    }

private:
    Api* api_ = nullptr;
};

template <class Handle, class Api>
using PlatformOwner = Owner<Handle, ReleaseThrough<Api>>;

using KeyOwner = PlatformOwner<KeyHandle, IRegistry>;
using ScManagerOwner = PlatformOwner<ScManagerHandle, IServices>;
using ServiceOwner = PlatformOwner<ServiceHandle, IServices>;
using TokenOwner = PlatformOwner<TokenHandle, IToken>;
using ProcessOwner = PlatformOwner<ProcessHandle, IProcesses>;
using ThreadOwner = PlatformOwner<ThreadHandle, IProcesses>;
using IconOwner = PlatformOwner<IconHandle, IShell>;
using FileOwner = PlatformOwner<FileHandle, IFiles>;

}  // namespace qm
