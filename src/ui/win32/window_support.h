// What the three windows share: owners of their fonts and icons, the error
// box, and the exception boundary of every window procedure.
#pragma once
#include "platform/win32/windows_clean.h"

#include <exception>

#include "core/errors.h"
#include "platform/owner.h"
#include "platform/win32/win32_text.h"

namespace qm::win32 {

// GDI objects and icons the windows create, given back with their owner.
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconOf {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using FontOwner = Owner<HFONT, DeleteGdiObject>;
using WindowIconOwner = Owner<HICON, DestroyIconOf>;

// The windows' fonts are all 8 points (11 pixels high).
inline HFONT MakeFont(const wchar_t* face, bool underline) {
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

// The program's error box over `owner`: "Quellmark", an error icon, OK.
inline void ReportFailure(HWND owner, const char* message) {
    MessageBoxW(owner, ShownWide(ErrorBoxText(message)).c_str(), ShownWide(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
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
        auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        created->Attach(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return AtCallbackBoundary<LRESULT>(hwnd, 0, [&] { return self->OnMessage(msg, wp, lp); });
}

// The dialog procedure of a dialog whose object was handed over as the
// dialog's parameter: the object learns its window (Attach) at
// WM_INITDIALOG and gets every message (OnMessage, a dialog procedure's
// answer) inside the exception boundary.
template <class Window>
INT_PTR CALLBACK ObjectDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        reinterpret_cast<Window*>(lp)->Attach(hwnd);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    return AtCallbackBoundary<INT_PTR>(hwnd, FALSE, [&]() -> INT_PTR { return self->OnMessage(msg, wp, lp); });
}

}  // namespace qm::win32
