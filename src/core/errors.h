// The program's failures: the one exception type (QuellmarkError, raised by
// the logic and the platform, caught only at the toolkit's event boundary),
// the messages it carries and how the error box shows them.
#pragma once
#include <string>
#include <type_traits>

#include "platform/failure.h"

namespace qm {

// The application title: the caption of the error box.
inline constexpr const char* kAppTitle = "Quellmark";

namespace format {

// The argument a printf conversion takes, as one letter: 'd' an int ("%d",
// "%i"), 'u' an unsigned int ("%u", "%x", "%X", "%o"), 's' a text ("%s");
// 0 for any conversion the program's messages do not use.
constexpr char KindOfConversion(char conversion) {
    switch (conversion) {
        case 'd':
        case 'i':
            return 'd';
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            return 'u';
        case 's':
            return 's';
        default:
            return 0;
    }
}

// The letter of KindOfConversion that an argument of type T fits; 0 for
// every other type (a long long fits no conversion without a length
// modifier, and length modifiers are not accepted).
template <class T>
inline constexpr char kKindOf = 0;
template <>
inline constexpr char kKindOf<int> = 'd';
template <>
inline constexpr char kKindOf<unsigned> = 'u';
template <>
inline constexpr char kKindOf<std::string> = 's';

// True when `pattern` holds one conversion per letter of `kinds`, in that
// order, each with flags, a width and a precision at most ("%%" is a
// percent sign and takes nothing).
constexpr bool ConversionsMatch(const char* pattern, const char* kinds) {
    const char* kind = kinds;
    for (const char* p = pattern; *p; ++p) {
        if (*p != '%') continue;
        if (*++p == '%') continue;
        while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') ++p;
        while (*p >= '0' && *p <= '9') ++p;
        if (*p == '.')
            for (++p; *p >= '0' && *p <= '9';) ++p;
        if (KindOfConversion(*p) == 0 || *kind != KindOfConversion(*p)) return false;
        ++kind;
    }
    return *kind == 0;
}

// Not constexpr: reaching it in a constant evaluation stops the build there.
void PatternDoesNotMatchItsArgument();

// A message pattern whose conversions were checked against the argument
// types when the program was built.
template <class... Args>
class CheckedPattern {
public:
    consteval CheckedPattern(const char* pattern) : pattern_(pattern) {
        constexpr char kinds[] = {kKindOf<Args>..., 0};
        if (!ConversionsMatch(pattern, kinds)) PatternDoesNotMatchItsArgument();
    }
    const char* Get() const { return pattern_; }

private:
    const char* pattern_;
};

std::string Apply(const char* pattern, int argument);
std::string Apply(const char* pattern, unsigned argument);
std::string Apply(const char* pattern, const std::string& argument);

}  // namespace format

// printf-style formatting for the messages with one argument. The pattern
// must name the argument's own type ("%d" an int, "%X" an unsigned, "%s" a
// text); any other pairing does not build.
template <class Arg>
std::string FormatMessage1(format::CheckedPattern<std::type_identity_t<Arg>> pattern, const Arg& argument) {
    return format::Apply(pattern.Get(), argument);
}

// What the error box shows: a "." is appended when the message's last
// character sorts after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace qm
