// Small helpers shared by the win32 units: handle casts and a COM owner.
#pragma once
#include "platform/win32/windows_clean.h"

#include <string>

#include "platform/platform.h"

namespace qm::win32 {

inline HKEY AsKey(Handle h) { return reinterpret_cast<HKEY>(h); }
inline SC_HANDLE AsService(Handle h) { return reinterpret_cast<SC_HANDLE>(h); }
template <class T>
Handle AsHandle(T h) {
    return reinterpret_cast<Handle>(h);
}

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

private:
    T* p_ = nullptr;
};

// The system's text for a COM error, without its trailing period.
std::string ComErrorText(HRESULT hr);

}  // namespace qm::win32
