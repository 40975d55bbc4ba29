// The window classes of the program's own top-level windows. The windows
// register them; the shell adapter finds a call's owner window by them.
#pragma once

namespace qm::win32 {

inline constexpr const char* kMainWindowClass = "TMainForm";
inline constexpr const char* kItemWindowClass = "TItemForm";

}  // namespace qm::win32
