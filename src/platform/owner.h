// Owns a handle of the service control manager (the manager itself or one
// service) and closes it through the platform when it goes out of scope, so
// that the routine that opened it closes it on every path.
#pragma once
#include "platform/platform.h"

namespace qm {

class ServiceHandle {
public:
    ServiceHandle(IServices& services, Handle handle) : services_(services), handle_(handle) {}
    ~ServiceHandle() {
        if (handle_) services_.CloseServiceHandle(handle_);
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    IServices& services_;
    Handle handle_;
};

}  // namespace qm
