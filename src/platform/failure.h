// The one exception type of the program: a failure the user is shown in the
// "Quellmark" error box. The platform raises it where a call has no other way
// to fail (a COM object that cannot be made); the logic raises it for its own
// failures; only the toolkit's event boundary catches it.
#pragma once
#include <stdexcept>
#include <string>

namespace qm {

class QuellmarkError : public std::runtime_error {
public:
    explicit QuellmarkError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qm
