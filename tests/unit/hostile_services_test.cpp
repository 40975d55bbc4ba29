// Services that change under the scan: one removed between the enumeration
// and its open is listed without a command line, nothing is reported and
// every handle is closed. Services whose security refuses administrators a
// right: any but reading the configuration hides nothing.
#include <gtest/gtest.h>

#include "core/collectors/collector.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kServicesTab = TabOf("services-running");

TEST(HostileServices, AServiceRemovedBetweenEnumerationAndOpenIsListedWithADash) {
    sim::SimDesktop m;
    for (const char* name : {"AlphaSvc", "BetaSvc", "GammaSvc"}) {
        sim::SimService s;
        s.name = name;
        s.displayName = std::string(name) + " display";
        s.commandLine = "C:\\svc\\" + std::string(name) + ".exe";
        m.services.Add(s);
    }
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    m.services.beforeOpen = [&](const std::string& name) {
        if (name != "BetaSvc" || !m.services.Find("BetaSvc")) return;
        m.services.Find("BetaSvc")->markedForDelete = true;
        m.services.Stop("BetaSvc");  // gone now: no handle holds it
    };
    form.SelectTab(kServicesTab);
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(3, form.ListById("services-running").Count());
    EXPECT_EQ("BetaSvc", form.ListById("services-running").Row(1).name);
    EXPECT_EQ("-", form.ListById("services-running").Row(1).command);
    EXPECT_EQ("C:\\svc\\GammaSvc.exe", form.ListById("services-running").Row(2).command);
    EXPECT_EQ("Startup (services) - (3)", form.TabCaptions[kServicesTab]);
    EXPECT_EQ(0, m.services.OpenHandles());
    form.SelectTab(TabOf("hkcu-run"));
    form.SelectTab(kServicesTab);
    EXPECT_EQ(2, form.ListById("services-running").Count());  // the next look no longer finds it
}

// The rights a service's own security can refuse an administrator, each
// alone: only the one to read the configuration keeps its command from the
// list; deleting or disabling such a service after the user chose it asks
// for that right alone. Shown on the simulated machine only: Wine takes a
// service's security (SetServiceObjectSecurity succeeds) but never applies
// it, and every open of a service is granted there.
TEST(HostileServices, AServiceThatRefusesAnyRightButReadingItsConfigurationIsListedWhole) {
    struct Case {
        const char* right;
        std::uint32_t refused;
    } cases[] = {
        {"SERVICE_CHANGE_CONFIG", kServiceChangeConfig},
        {"SERVICE_QUERY_STATUS", 0x4},
        {"SERVICE_ENUMERATE_DEPENDENTS", 0x8},
        {"SERVICE_START", 0x10},
        {"SERVICE_STOP", 0x20},
        {"SERVICE_PAUSE_CONTINUE", 0x40},
        {"SERVICE_INTERROGATE", 0x80},
        {"SERVICE_USER_DEFINED_CONTROL", 0x100},
        {"DELETE", kServiceDelete},
        {"READ_CONTROL", 0x20000},
        {"WRITE_DAC", 0x40000},
        {"WRITE_OWNER", 0x80000},
        {"SERVICE_QUERY_CONFIG", kServiceQueryConfig},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        sim::SimService s;
        s.name = "LockedSvc";
        s.displayName = "Locked";
        s.commandLine = "C:\\svc\\locked.exe";
        s.grantedAccess = kServiceAllAccess & ~c.refused;
        m.services.Add(s);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.SelectTab(kServicesTab);
        const EntryList& list = form.ListById("services-running");
        ASSERT_EQ(1, list.Count()) << c.right;
        const bool readable = c.refused != kServiceQueryConfig;
        EXPECT_EQ(readable ? "C:\\svc\\locked.exe" : "-", list.Row(0).command) << c.right;
        EXPECT_EQ(!readable, list.Row(0).problem == kServiceConfigurationUnread) << c.right;
        EXPECT_TRUE(m.user.shown.empty()) << c.right;
        EXPECT_EQ(0, m.services.OpenHandles()) << c.right;

        // A service whose configuration cannot be read cannot be kept in
        // the journal, and so is neither disabled nor deleted; the user is
        // told why. A refused change is refused quietly, as always.
        form.ListById("services-running").SetSelection(0, 0);
        form.ListCommandClick(kServicesTab, ListCommand::Disable);
        const bool changes = readable && c.refused != kServiceChangeConfig;
        EXPECT_EQ(changes ? kServiceDisabled : kServiceDemandStart, m.services.Find("LockedSvc")->startType) << c.right;
        EXPECT_EQ(!readable, !m.user.shown.empty() &&
                                 m.user.shown.back().text.find("configuration cannot be read") != std::string::npos)
            << c.right;
        m.user.answers = {DialogResult::Yes};
        form.ListCommandClick(kServicesTab, ListCommand::Delete);
        EXPECT_EQ(readable && c.refused != kServiceDelete, m.services.Find("LockedSvc")->markedForDelete) << c.right;
        EXPECT_EQ(0, m.services.OpenHandles()) << c.right;
    }
}

}  // namespace
}  // namespace qm
