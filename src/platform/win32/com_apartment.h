// COM in a single-threaded apartment for the calling thread while the
// object lives: for the whole run on the main thread (the shell link object
// that reads shortcuts needs it), or for one call (the Task Scheduler).
#pragma once
#include <optional>

#include "platform/win32/windows_clean.h"

namespace qm::win32 {

class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

// COM for the thread that owns this object, begun by the first call that
// needs it and ended with the object: for a program that may need no COM at
// all (a report of a machine without shortcuts or task files), whose start
// then loads no ole32, and no user32 and desktop with it. A program that
// begins COM at its start has no such owner, and Start does nothing there.
class ComOnFirstUse {
public:
    ComOnFirstUse() { current_ = this; }
    ~ComOnFirstUse() {
        apartment_.reset();
        current_ = nullptr;
    }
    ComOnFirstUse(const ComOnFirstUse&) = delete;
    ComOnFirstUse& operator=(const ComOnFirstUse&) = delete;

    // Called before each use of COM; one thread only.
    static void Start() {
        if (current_ && !current_->apartment_) current_->apartment_.emplace();
    }

private:
    static inline ComOnFirstUse* current_ = nullptr;
    std::optional<ComApartment> apartment_;
};

}  // namespace qm::win32
