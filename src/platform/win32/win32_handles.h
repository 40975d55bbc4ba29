// Small helpers shared by the Win32 adapters: the typed platform handles to
// and from the API's own, owners of the API's own handles and memory, an
// owner of COM interfaces and one of BSTRs.
#pragma once
#include "platform/win32/windows_clean.h"

#include <oleauto.h>

#include <string>

#include "platform/owner.h"
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

// The handles and blocks of memory the API gives an adapter for its own use
// (no interface hands them on), each given back by its own call through the
// program's one owner, so that every way out of the routine gives it back.
struct CloseKernelObject {
    void operator()(HANDLE object) const { ::CloseHandle(object); }
};
struct CloseFileSearch {
    void operator()(HANDLE search) const { ::FindClose(search); }
};
struct FreeLocalMemory {
    void operator()(void* memory) const { ::LocalFree(memory); }
};
struct FreeGlobalMemory {
    void operator()(HGLOBAL memory) const { ::GlobalFree(memory); }
};
struct FreeComMemory {
    void operator()(void* memory) const { ::CoTaskMemFree(memory); }
};
using KernelObjectOwner = Owner<HANDLE, CloseKernelObject>;  // a file, a process
using FileSearchOwner = Owner<HANDLE, CloseFileSearch>;      // FindFirstFile's search
template <class T>
using LocalMemoryOwner = Owner<T*, FreeLocalMemory>;  // a text FormatMessage allocated
using GlobalMemoryOwner = Owner<HGLOBAL, FreeGlobalMemory>;
template <class Pointer>
using ComMemoryOwner = Owner<Pointer, FreeComMemory>;  // an item list the shell allocated

// What an open answered, owned. A failed CreateFile or FindFirstFile answers
// INVALID_HANDLE_VALUE where the others answer null: to the owner both are
// no handle.
inline KernelObjectOwner OwnKernelObject(HANDLE object) {
    return {{}, object == INVALID_HANDLE_VALUE ? nullptr : object};
}
inline FileSearchOwner OwnFileSearch(HANDLE search) { return {{}, search == INVALID_HANDLE_VALUE ? nullptr : search}; }

// Closes the object now, for a caller that must hear whether the close
// succeeded (the last writes to a file can fail there); true when it held
// nothing.
inline bool CloseNow(KernelObjectOwner& object) { return !object || ::CloseHandle(object.Detach()) != FALSE; }

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
