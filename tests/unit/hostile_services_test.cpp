// Services that change under the scan: one removed between the enumeration
// and its open is listed without a command line, nothing is reported and
// every handle is closed.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qm
