// COM for the main thread, single-threaded apartment, for the whole run:
// the shell link object that reads shortcuts needs it.
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
