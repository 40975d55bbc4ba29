// The pieces of the service collector that the tests reach directly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm {

// The buffer of the first enumeration call.
inline constexpr std::uint32_t kServiceEnumBufferSize = 36000;

// Every service of `type` in `state`, in the order of the enumeration. The
// enumeration is called again from its resume handle while it reports more
// data, so that no service is lost to the size of one buffer; a call that
// moved nothing forward (a buffer too small for the next entry, or Wine,
// which fills nothing until everything fits) is repeated with a larger one.
std::vector<ServiceEntry> ListServices(IServices& services, ScManagerHandle manager, std::uint32_t type,
                                       std::uint32_t state, std::uint32_t bufferSize = kServiceEnumBufferSize);

// A service's configured command line, or "-" for no handle or a
// configuration that cannot be read.
std::string GetServiceBinaryPath(Platform& platform, ServiceHandle service);
// The same, telling a configuration that cannot be read from one that reads
// "-": false, with `path` empty, for no handle or a refused query.
bool ReadServiceBinaryPath(Platform& platform, ServiceHandle service, std::string& path);

}  // namespace qm
