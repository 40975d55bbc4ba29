// Target paths, text helpers and the entry row.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/model/icons.h"
#include "core/model/rows.h"
#include "core/model/text.h"
#include "core/privileges.h"
#include "platform/sim/sim.h"
#include "unit/tabs.h"

namespace qm {
namespace {

struct TargetCase {
    const char* commandLine;
    const char* marker;
    const char* target;
};

TEST(ExtractTargetPath, CutsAfterTheMarkerAndOneMoreCharacter) {
    const TargetCase cases[] = {
        {"\"C:\\Program Files\\App\\App.exe\" /min", ".exe", "c:\\program files\\app\\app.exe"},
        {"C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,Control_RunDLL", ".exe",
         "c:\\windows\\system32\\rundll32.exe"},
        {"C:\\Tools\\Tray.EXE", ".exe", "c:\\tools\\tray.exe"},
        {"C:\\Tools\\Tray.exe,background", ".exe", "c:\\tools\\tray.exe,"},  // the character after stays
        {"C:\\Windows\\System32\\foo.dll", ".exe", "c:\\w"},                 // no marker: four characters
        {"", ".exe", ""},
        {"   ", ".exe", ""},
        {"\t C:\\A.EXE\t", ".exe", "c:\\a.exe"},     // control characters trimmed too
        {"a.exe", ".exe", "a.exe"},                  // marker at the end: nothing to keep after it
        {"x.exeZ.exe", ".exe", "x.exez"},            // the first marker counts, case folded
        {"\"\"c:\\a\".exe\"", ".exe", "c:\\a.exe"},  // every quote removed before the search
        {"C:\\WINDOWS\\System32\\logon.scr", ".scr", "c:\\windows\\system32\\logon.scr"},
        {"C:\\a.exe.scr /s", ".scr", "c:\\a.exe.scr"},
        {"%SystemRoot%\\x.exe -y", ".exe", "%systemroot%\\x.exe"},
        {"ab", ".exe", "ab"},
        {"\\SystemRoot\\System32\\smss.exe", ".exe", "\\systemroot\\system32\\smss.exe"},
        // Every alphabet's capitals are lowered as the system lowers them,
        // and the one character after the marker is a whole character,
        // however many bytes it takes.
        {"C:\\\u00C9T\u00C9\\\u00C0.EXE\u00C9 /x", ".exe", "c:\\\u00E9t\u00E9\\\u00E0.exe\u00E9"},
        {"C:\\\u041F\u0440\u043E\u0433\\\u0416\u0423\u041A.EXE\u0416 /x", ".exe",
         "c:\\\u043F\u0440\u043E\u0433\\\u0436\u0443\u043A.exe\u0436"},
        {"C:\\\U0001F600\\A.exe\U0001F600x", ".exe", "c:\\\U0001F600\\a.exe\U0001F600"},
        {"\u0416\u0423\u041A\u0416\u0423\u041A.dll", ".exe", "\u0436\u0443\u043A\u0436"},  // no marker: four characters
        {"\u039A\u0391\u039B\u039F.EXE", ".exe", "\u03BA\u03B1\u03BB\u03BF.exe"},
    };
    sim::SimMachine m;
    for (const TargetCase& c : cases)
        EXPECT_EQ(c.target, ExtractTargetPath(m.system, c.commandLine, c.marker)) << c.commandLine;
}

TEST(ReplaceAll, RemovesEveryOccurrenceAndLeavesOtherTextAlone) {
    EXPECT_EQ("abc", ReplaceAll("a\"b\"\"c\"", "\"", ""));
    EXPECT_EQ("unchanged", ReplaceAll("unchanged", ",", ""));
    EXPECT_EQ("a,b", ReplaceAll("a,b", "", ""));
    EXPECT_EQ("", ReplaceAll(",,,", ",", ""));
    EXPECT_EQ("x--y", ReplaceAll("x,y", ",", "--"));
}

TEST(TrimControl, DropsBlanksAndControlCharactersAtBothEndsOnly) {
    EXPECT_EQ("a b", TrimControl(" \t\r\na b\x01 "));
    EXPECT_EQ("", TrimControl("\x1f\x20"));
    EXPECT_EQ("\u00E9t\u00E9", TrimControl("\u00E9t\u00E9"));  // letters outside ASCII are no control characters
}

TEST(EntryRow, StartsEmptyAndShowsNothingPastItsColumns) {
    EntryList list("hkcu-run");
    Entry& row = list.Add();
    EXPECT_EQ(0, row.image);
    EXPECT_EQ(Mark::None, row.mark);
    row.name = "Tool";
    row.command = "first";
    EXPECT_EQ("Tool", ShownCell("hkcu-run", row, 0));
    EXPECT_EQ("first", ShownCell("hkcu-run", row, 1));
    EXPECT_EQ("", ShownCell("hkcu-run", row, 2));   // no location: no root
    EXPECT_EQ("", ShownCell("hkcu-run", row, 99));  // past the last column
}

TEST(EntryRow, ClearingAListDropsSelectionAndKeepsImageLists) {
    EntryList list("hklm-run");
    list.Add();
    list.Add();
    list.SetSelection(1, 0);
    list.SetImageList(kLvsilSmall, ImageListHandle{77});
    ASSERT_NE(nullptr, list.Selected());
    list.Clear();
    EXPECT_EQ(nullptr, list.Selected());
    EXPECT_EQ(-1, list.FocusedIndex());
    EXPECT_EQ(ImageListHandle{77}, list.SmallImages());
    list.SetSelection(5, 5);  // past the end means none
    EXPECT_EQ(-1, list.SelectedIndex());
}

TEST(Icons, EveryLookupAsksTheShellAgainAndLeavesTheTokenAlone) {
    sim::SimMachine m;
    EntryList list("hkcu-run");
    GetSysIconIndex(m.platform, "a.exe");
    GetSysIconIndex(m.platform, "a.exe");
    AttachSystemImageLists(m.platform, list);
    EXPECT_EQ(0, m.token.adjustCalls);
    EXPECT_EQ(4, m.shell.fileInfoCalls);  // two lookups, two image lists
    EXPECT_TRUE(m.token.enabled.empty());
    EXPECT_EQ(sim::SimShell::kSmallImageList, list.SmallImages());
    EXPECT_EQ(sim::SimShell::kLargeImageList, list.LargeImages());
}

TEST(Privileges, OneIsSwitchedThroughTheTokenWhichIsClosedAgain) {
    sim::SimMachine m;
    EXPECT_TRUE(EnablePrivilege(m.platform, kDebugPrivilege, true));
    EXPECT_EQ(1u, m.token.enabled.count(kDebugPrivilege));
    EXPECT_TRUE(EnablePrivilege(m.platform, kDebugPrivilege, false));
    EXPECT_TRUE(m.token.enabled.empty());
    EXPECT_EQ(0x28u, m.token.lastAccess);  // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
    EXPECT_EQ(16u, m.token.lastBufferLength);
    EXPECT_EQ(0, m.token.OpenTokens());
}

TEST(Icons, LookupsStillRunWhenThePrivilegeCannotBeEnabled) {
    sim::SimMachine m;
    m.token.openFails = true;
    EXPECT_FALSE(EnablePrivilege(m.platform, "SeDebugPrivilege", true));
    EXPECT_EQ(m.shell.IconIndexOf(".exe"), GetSysIconIndex(m.platform, "c:\\x.exe"));
}

}  // namespace
}  // namespace qm
