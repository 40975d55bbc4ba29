// Services that change under the scan: one removed between the enumeration
// and its open is listed without a command line, nothing is reported and
// every handle is closed.
#include <gtest/gtest.h>

#include "core/forms/main_form.h"
#include "ui/sim/sim_desktop.h"

namespace qm {
namespace {

constexpr int kServicesTab = 8;

TEST(HostileServices, AServiceRemovedBetweenEnumerationAndOpenIsListedWithADash) {
    sim::SimDesktop m;
    for (const char* name : {"AlphaSvc", "BetaSvc", "GammaSvc"}) {
        sim::SimService s;
        s.name = name;
        s.displayName = std::string(name) + " display";
        s.commandLine = "C:\\svc\\" + std::string(name) + ".exe";
        m.services.Add(s);
    }
    TMainForm form(m.platform, m.toolkit);
    form.FormCreate();
    m.services.beforeOpen = [&](const std::string& name) {
        if (name != "BetaSvc" || !m.services.Find("BetaSvc")) return;
        m.services.Find("BetaSvc")->markedForDelete = true;
        m.services.Stop("BetaSvc");  // gone now: no handle holds it
    };
    form.SelectTab(kServicesTab);
    EXPECT_TRUE(m.user.shown.empty());
    ASSERT_EQ(3, form.InstCompo.Count());
    EXPECT_EQ("BetaSvc", form.InstCompo.Row(1).name);
    EXPECT_EQ("-", form.InstCompo.Row(1).command);
    EXPECT_EQ("C:\\svc\\GammaSvc.exe", form.InstCompo.Row(2).command);
    EXPECT_EQ("Startup (services) - (3)", form.TabCaptions[kServicesTab]);
    EXPECT_EQ(0, m.services.OpenHandles());
    form.SelectTab(0);
    form.SelectTab(kServicesTab);
    EXPECT_EQ(2, form.InstCompo.Count());  // the next look no longer finds it
}

}  // namespace
}  // namespace qm
