// Small helpers shared by the Win32 adapters: the typed platform handles to
// and from the API's own, and an owner of COM interfaces.
#pragma once
#include "platform/win32/windows_clean.h"

#include <string>

#include "platform/platform.h"

namespace qm::win32 {

// The API's handle behind a typed platform handle, and back.
template <class Raw, class Kind>
Raw ToRaw(PlatformHandle<Kind> handle) {
    return reinterpret_cast<Raw>(handle.Value());
}
template <class Typed, class Raw>
Typed FromRaw(Raw raw) {
    return Typed{reinterpret_cast<std::uintptr_t>(raw)};
}
inline HKEY AsKey(KeyHandle h) { return ToRaw<HKEY>(h); }

// Releases a COM interface on every path out.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// The system's text for a COM error, without its trailing period.
std::string ComErrorText(HRESULT hr);

}  // namespace qm::win32
