// Small helpers shared by the Win32 adapters: the typed platform handles to
// and from the API's own, an owner of COM interfaces and one of BSTRs.
#pragma once
#include "platform/win32/windows_clean.h"

#include <oleauto.h>

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

// A BSTR freed on every path out, and a VARIANT holding one or nothing.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return b_; }
    // VT_BSTR, or VT_EMPTY for an empty text (the argument left out).
    VARIANT AsVariant() const {
        VARIANT v;
        VariantInit(&v);
        if (b_ && SysStringLen(b_) > 0) {
            v.vt = VT_BSTR;
            v.bstrVal = b_;
        }
        return v;
    }

private:
    BSTR b_;
};

// The system's text for a COM error, without its trailing period.
std::string ComErrorText(HRESULT hr);

}  // namespace qm::win32
