// The program's failures: the one exception type (QuellmarkError, raised by
// the logic and the platform, caught only at the toolkit's event boundary),
// the messages it carries and how the error box shows them.
#pragma once
#include <string>

#include "platform/failure.h"

namespace qm {

// The application title: the caption of the error box.
inline constexpr const char* kAppTitle = "Quellmark";

// printf-style formatting for the few messages with one argument.
std::string FormatMessage1(const char* pattern, const std::string& argument);
std::string FormatMessage1(const char* pattern, long long argument);

// What the error box shows: a "." is appended when the message's last
// character sorts after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace qm
