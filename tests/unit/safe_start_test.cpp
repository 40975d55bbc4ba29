// The window program on a Windows that cannot keep DLL loads out of the
// program's folder (no SetDefaultDllDirectories): it says why in an error
// box and reads nothing; everywhere else it starts without a word.
#include <gtest/gtest.h>

#include "core/safe_start.h"
#include "platform/sim/sim.h"

namespace qm {
namespace {

TEST(SafeStart, WhereTheDllSearchCannotBeKeptToSystem32TheWindowProgramSaysWhyAndStops) {
    sim::SimMachine m;
    m.system.dllSearchRestricted = false;
    EXPECT_FALSE(MayRun(m.platform));
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(DialogKind::Error, m.user.shown[0].kind);
    EXPECT_EQ("Quellmark", m.user.shown[0].title);
    for (const char* why : {"SetDefaultDllDirectories", "KB2533623", "administrator rights", "does not run"})
        EXPECT_NE(std::string::npos, m.user.shown[0].text.find(why)) << m.user.shown[0].text;
    EXPECT_EQ(0, m.registry.OpenCalls());
}

TEST(SafeStart, WhereItCanTheProgramStartsWithoutAWord) {
    sim::SimMachine m;
    EXPECT_TRUE(MayRun(m.platform));
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(std::nullopt, ReasonNotToRun(m.system));
}

}  // namespace
}  // namespace qm
