// The one exception type of the program: a failure the user is shown in the
// "Quellmark" error box. Raised by the logic, caught only at the toolkit's
// event boundary.
#pragma once
#include <stdexcept>
#include <string>

namespace qm {

// The application title: the caption of the error box.
inline constexpr const char* kAppTitle = "Quellmark";

class QuellmarkError : public std::runtime_error {
public:
    explicit QuellmarkError(const std::string& message) : std::runtime_error(message) {}
};

// printf-style formatting for the few messages with one argument.
std::string FormatMessage1(const char* pattern, const std::string& argument);
std::string FormatMessage1(const char* pattern, long long argument);

// What the error box shows: a "." is appended when the message's last
// character sorts after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace qm
