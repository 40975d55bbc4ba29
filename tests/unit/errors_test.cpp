// Messages with one argument: the pattern must name the argument's own type.
// A pairing that printf would read wrongly (a long long for "%d") does not
// build at all; these checks show which pairings pass and which do not.
#include <gtest/gtest.h>

#include "core/errors.h"

namespace qm {
namespace {

using format::ConversionsMatch;

// The program's own patterns, with the argument types they are used with.
static_assert(ConversionsMatch("List index out of bounds (%d)", "d"));
static_assert(ConversionsMatch("System Error.  Code: %d", "d"));
static_assert(ConversionsMatch("COM error 0x%08X", "u"));
static_assert(ConversionsMatch("Invalid data type for '%s'", "s"));
static_assert(ConversionsMatch("Failed to get data for '%s'", "s"));
// Flags, width, precision and "%%" are fine.
static_assert(ConversionsMatch("100%% of %-+5.2i", "d"));
static_assert(ConversionsMatch("%#o", "u"));
static_assert(ConversionsMatch("no conversion", ""));
// A wrong type, a length modifier, a count that differs or a width taken
// from the arguments does not match.
static_assert(!ConversionsMatch("(%d)", "u"));
static_assert(!ConversionsMatch("(%X)", "d"));
static_assert(!ConversionsMatch("(%s)", "d"));
static_assert(!ConversionsMatch("(%lld)", "d"));
static_assert(!ConversionsMatch("(%ld)", "d"));
static_assert(!ConversionsMatch("(%d %d)", "d"));
static_assert(!ConversionsMatch("(text)", "d"));
static_assert(!ConversionsMatch("(%*d)", "d"));
static_assert(!ConversionsMatch("(%f)", "d"));
static_assert(!ConversionsMatch("trailing %", ""));
// The types an argument may have: no long long, no other integer.
static_assert(format::kKindOf<int> == 'd' && format::kKindOf<unsigned> == 'u' && format::kKindOf<std::string> == 's');
static_assert(format::kKindOf<long long> == 0 && format::kKindOf<long> == 0 && format::kKindOf<short> == 0);

TEST(FormatMessage1, FormatsEachKindOfArgumentWithItsOwnConversion) {
    EXPECT_EQ("List index out of bounds (-1)", FormatMessage1("List index out of bounds (%d)", -1));
    EXPECT_EQ("List index out of bounds (2147483647)", FormatMessage1("List index out of bounds (%d)", 2147483647));
    EXPECT_EQ("COM error 0x80004005", FormatMessage1("COM error 0x%08X", 0x80004005u));
    EXPECT_EQ("COM error 0x0000000A", FormatMessage1("COM error 0x%08X", 10u));
    EXPECT_EQ("Invalid data type for 'B_Typed'", FormatMessage1("Invalid data type for '%s'", std::string("B_Typed")));
    // A text argument is taken whole, whatever it holds.
    EXPECT_EQ("Failed to get data for '%d 100%'",
              FormatMessage1("Failed to get data for '%s'", std::string("%d 100%")));
    EXPECT_EQ("50% of 7", FormatMessage1("50%% of %d", 7));
}

}  // namespace
}  // namespace qm
