// COM in a single-threaded apartment for the calling thread while the
// object lives: for the whole run on the main thread (the shell link object
// that reads shortcuts needs it), or for one call (the Task Scheduler).
#pragma once
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

}  // namespace qm::win32
