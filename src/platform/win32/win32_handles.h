// Small helpers shared by the win32 units: handle casts and a COM owner.
#pragma once
#include "platform/win32/windows_clean.h"

#include <string>

#include "core/errors.h"
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

// A GDI object or icon the program created, released with its owner.
template <class T, BOOL(WINAPI* Release)(T)>
class Owned {
public:
    Owned() = default;
    ~Owned() { Reset(nullptr); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    void Reset(T handle) {
        if (h_) Release(h_);
        h_ = handle;
    }
    T Get() const { return h_; }

private:
    T h_ = nullptr;
};
inline BOOL WINAPI ReleaseFont(HFONT f) { return DeleteObject(f); }
using FontOwner = Owned<HFONT, ReleaseFont>;
using IconOwner = Owned<HICON, DestroyIcon>;

// The program's error box over `owner`: "Quellmark", an error icon, OK.
inline void ReportFailure(HWND owner, const char* message) {
    MessageBoxA(owner, ErrorBoxText(message).c_str(), kAppTitle, MB_OK | MB_ICONERROR);
}

// Runs one message of a window procedure, keeping every exception inside:
// a failure is shown in the error box, `onFailure` is answered and the
// event loop goes on.
template <class Result, class Handler>
Result AtCallbackBoundary(HWND hwnd, Result onFailure, Handler&& handler) {
    try {
        return handler();
    } catch (const std::exception& e) {
        ReportFailure(hwnd, e.what());
    } catch (...) {
        ReportFailure(hwnd, "Unexpected failure");
    }
    return onFailure;
}

// The window procedure of a window whose object was handed to
// CreateWindowEx as its creation parameter: the object learns its window
// (Attach) and gets every message (OnMessage) inside the exception boundary.
template <class Window>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        created->Attach(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    return AtCallbackBoundary<LRESULT>(hwnd, 0, [&] { return self->OnMessage(msg, wp, lp); });
}

// The system's text for a COM error, without its trailing period.
std::string ComErrorText(HRESULT hr);

}  // namespace qm::win32
