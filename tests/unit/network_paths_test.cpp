// Entries whose command names a file on another machine or a device: the
// elevated program neither opens nor asks about such a path (for the icon,
// the version fields, the Properties sheet or the folder), so no credentials
// go to the server and no pipe keeps the program waiting.
#include <gtest/gtest.h>

#include "core/model/text.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(NetworkPaths, WhichPathsAreNetworkOrDevicePaths) {
    const struct {
        const char* path;
        bool remote;
    } cases[] = {
        {"\\\\127.0.0.1\\share\\x.exe", true},
        {"\\\\.\\pipe\\x", true},
        {"\\\\?\\UNC\\127.0.0.1\\share\\x.exe", true},
        {"\\\\?\\C:\\x.exe", true},  // the long form is not read either
        {"//server/share/x.exe", true},
        {"\\/server\\share\\x.exe", true},
        {"\\??\\UNC\\server\\share\\x.exe", true},
        {"  \"\\\\server\\share\\x.exe\"", true},
        {"C:\\Program Files\\x.exe", false},
        {"\\Windows\\x.exe", false},
        {"x.exe", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.remote, IsNetworkOrDevicePath(c.path)) << c.path;
}

TEST(NetworkPaths, NoCommandOfTheRowReachesTheServerOrThePipe) {
    sim::SimDesktop m;
    const std::string remote[] = {"\\\\127.0.0.1\\share\\x.exe", "\\\\.\\pipe\\x",
                                  "\\\\?\\UNC\\127.0.0.1\\share\\y.exe"};
    // Were they read, they would show version texts.
    for (const std::string& path : remote) m.files.AddFile(path).typeName = "Application";
    m.registry.SetString(kHKCURun, "Share", remote[0] + " /run");
    m.registry.SetString(kHKCURun, "Pipe", remote[1]);
    m.registry.SetString(kHKCURun, "Unc", remote[2]);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(3, form.ListById("hkcu-run").Count());
    for (int i = 0; i < 3; ++i) {
        form.ListById("hkcu-run").SetSelection(i, i);
        form.ListCommandClick(TabOf("hkcu-run"), ListCommand::Properties);
        ItemForm& item = *form.itemDialog;
        ASSERT_TRUE(item.Visible);
        EXPECT_EQ("", item.company) << i;      // company
        EXPECT_EQ("", item.description) << i;  // description
        EXPECT_EQ("", item.version) << i;      // version
        EXPECT_TRUE(item.icon.Icon()) << i;    // the icon of its type, by name
        item.ShowShellProperties();            // the Properties sheet
        item.FindTarget();                     // its folder
    }
    for (const std::string& path : m.files.reached) EXPECT_FALSE(IsNetworkOrDevicePath(path)) << path;
    EXPECT_TRUE(m.shell.executions.empty());
}

}  // namespace
}  // namespace qm
