// Icon lookups and the privilege switch, held to the same rules on every machine.
#include <gtest/gtest.h>

#include "contract/env.h"
#include "core/model/icons.h"
#include "core/model/rows.h"
#include "core/model/text.h"
#include "core/privileges.h"

namespace qm {
namespace {

using contract::IsWine;
using contract::Machine;

TEST(IconContract, EveryNameOfOneExtensionGetsOneIndexWhetherTheFileExistsOrNot) {
    Platform& p = Machine();
    const int existing = GetSysIconIndex(p, contract::ExistingProgram());
    EXPECT_EQ(existing, GetSysIconIndex(p, "c:\\no\\such\\folder\\missing.exe"));
    EXPECT_EQ(existing, GetSysIconIndex(p, "C:\\TOOLS\\UPPER.EXE"));
    EXPECT_EQ(existing, GetSysIconIndex(p, ".exe"));
    EXPECT_EQ(GetSysIconIndex(p, "c:\\a\\x.dll"), GetSysIconIndex(p, ".dll"));
    // Names without an extension share the icon of unknown files.
    EXPECT_EQ(GetSysIconIndex(p, "0"), GetSysIconIndex(p, "c:\\w"));
    EXPECT_EQ(GetSysIconIndex(p, "0"), GetSysIconIndex(p, ""));
}

TEST(IconContract, ProgramsLibrariesAndUnknownFilesHaveTheirOwnIcons) {
    Platform& p = Machine();
    const int exe = GetSysIconIndex(p, ".exe"), dll = GetSysIconIndex(p, ".dll"), unknown = GetSysIconIndex(p, "0");
    if (IsWine()) {
        // Wine answers index 0 for every name looked up by its attributes
        // alone; Windows gives each registered type its own icon.
        EXPECT_EQ(0, exe);
        EXPECT_EQ(0, dll);
        EXPECT_EQ(0, unknown);
    } else {
        EXPECT_NE(exe, dll);
        EXPECT_NE(exe, unknown);
        EXPECT_NE(dll, unknown);
    }
}

TEST(IconContract, SystemImageListsAreTheSameOnEveryAttach) {
    Platform& p = Machine();
    EntryList first("first"), second("second");
    AttachSystemImageLists(p, first);
    AttachSystemImageLists(p, second);
    EXPECT_TRUE(first.SmallImages());
    EXPECT_TRUE(first.LargeImages());
    EXPECT_NE(first.SmallImages(), first.LargeImages());
    EXPECT_EQ(first.SmallImages(), second.SmallImages());
    EXPECT_EQ(first.LargeImages(), second.LargeImages());
    const auto version = first.Version();
    AttachSystemImageLists(p, first);  // attaching again changes nothing
    EXPECT_EQ(version, first.Version());
}

TEST(IconContract, FileIconIsTheFilesOwnAndAbsentForAMissingFile) {
    Platform& p = Machine();
    const IconHandle large = GetFileIcon(p, contract::ExistingProgram(), false);
    const IconHandle small = GetFileIcon(p, contract::ExistingProgram(), true);
    EXPECT_TRUE(large);
    EXPECT_TRUE(small);
    EXPECT_TRUE(p.shell.DestroyIcon(large));
    EXPECT_TRUE(p.shell.DestroyIcon(small));
    EXPECT_FALSE(GetFileIcon(p, "c:\\no\\such\\folder\\missing.exe", false));
}

TEST(PrivilegeContract, DebugPrivilegeCanBeEnabledAndUnknownNamesFail) {
    Platform& p = Machine();
    EXPECT_TRUE(EnablePrivilege(p, "SeDebugPrivilege", true));
    EXPECT_TRUE(EnablePrivilege(p, "SeDebugPrivilege", true));  // enabling twice is fine
    EXPECT_FALSE(EnablePrivilege(p, "SeNoSuchPrivilegeAtAll", true));
    // Off again, as the window program turns it off at its start.
    EXPECT_TRUE(EnablePrivilege(p, "SeDebugPrivilege", false));
    EXPECT_TRUE(EnablePrivilege(p, "SeDebugPrivilege", false));
}

}  // namespace
}  // namespace qm
