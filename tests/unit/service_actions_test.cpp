// Deleting and disabling services from the services list, with the deletion report
// reporting a deletion five seconds later on the simulated clock.
#include <gtest/gtest.h>

#include "core/actions/service_actions.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kServicesTab = TabOf("services-running");

class ServiceActions : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset();
        m = std::make_unique<sim::SimDesktop>();
        for (const char* name : {"Alpha", "Beta", "Gamma"}) {
            sim::SimService s;
            s.name = name;
            s.displayName = std::string(name) + " Service";
            s.commandLine = std::string("C:\\svc\\") + name + ".exe -service";
            s.startType = kServiceAutoStart;
            m->services.Add(s);
        }
        form = std::make_unique<MainForm>(m->platform, m->toolkit);
        form->ScanAtStart();
        m->clock.Attach(*form);
        form->SelectTab(kServicesTab);
        ASSERT_EQ(3, form->ListById("services-running").Count());
    }
    // The user clicks a row (selecting and focusing it) and chooses a menu item.
    void Choose(int row, ListCommand command) {
        form->ListById("services-running").SetSelection(row, row);
        form->ListCommandClick(kServicesTab, command);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const DialogRequest& d : m->user.shown) texts.push_back(d.text);
        return texts;
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const Entry& row : form->ListById("services-running").Rows()) captions.push_back(row.name);
        return captions;
    }
    static std::string Confirmation(const std::string& name) {
        return "Are you sure want to delete autorun \"" + name + "\" ?";
    }

    std::unique_ptr<sim::SimDesktop> m;
    std::unique_ptr<MainForm> form;
};

TEST_F(ServiceActions, AnsweringNoLeavesTheServiceAndTheTimerAlone) {
    m->user.answers = {DialogResult::No};
    Choose(1, ListCommand::Delete);
    ASSERT_EQ(1u, m->user.shown.size());
    EXPECT_EQ(DialogKind::Confirmation, m->user.shown[0].kind);
    EXPECT_EQ("Confirm", m->user.shown[0].title);
    EXPECT_EQ(Confirmation("Beta"), m->user.shown[0].text);
    EXPECT_FALSE(m->services.Find("Beta")->markedForDelete);
    EXPECT_FALSE(form->deletionReportDue);
    m->clock.Advance(60000);
    EXPECT_EQ(1u, m->user.shown.size());
    EXPECT_EQ(0, m->clock.reportsFired);
    EXPECT_EQ(0, m->services.OpenHandles());
}

TEST_F(ServiceActions, ARefusedDeletionIsNeverReported) {
    struct Case {
        const char* why;
        std::uint32_t managerRights;
        std::uint32_t serviceRights;
        bool alreadyMarked;
    } cases[] = {
        {"no write access to the manager", 0xFFFFFFFFu & ~kGenericWrite, kServiceAllAccess, false},
        {"no right to delete the service", 0xFFFFFFFFu, kServiceAllAccess & ~kServiceDelete, false},
        {"already marked for deletion", 0xFFFFFFFFu, kServiceAllAccess, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SetUp();
        m->services.managerGrantedAccess = c.managerRights;
        sim::SimService* gamma = m->services.Find("Gamma");
        gamma->grantedAccess = c.serviceRights;
        gamma->markedForDelete = c.alreadyMarked;
        m->user.shown.clear();
        m->user.answers = {DialogResult::Yes};
        Choose(2, ListCommand::Delete);
        EXPECT_EQ((std::vector<std::string>{Confirmation("Gamma")}), Texts());
        EXPECT_FALSE(form->deletionReportDue);
        m->clock.Advance(20000);
        EXPECT_EQ(1u, m->user.shown.size());
        EXPECT_EQ(c.alreadyMarked, m->services.Find("Gamma")->markedForDelete);
        EXPECT_EQ(3, form->ListById("services-running").Count());
        EXPECT_EQ(0, m->services.OpenHandles());
    }
}

TEST_F(ServiceActions, ADeletionIsReportedFiveSecondsLaterThenTheListIsReadAgain) {
    m->user.answers = {DialogResult::Yes};
    Choose(1, ListCommand::Delete);
    EXPECT_TRUE(m->services.Find("Beta")->markedForDelete);
    EXPECT_TRUE(form->deletionReportDue);
    EXPECT_EQ(3, form->ListById("services-running").Count());  // the row stays until the timer refills the list
    // The service's program ends; with no handle left open it leaves the database.
    m->services.Stop("Beta");
    EXPECT_EQ(nullptr, m->services.Find("Beta"));
    int rowsWhileShown = -1;
    m->user.whileShown = [&](const DialogRequest&) { rowsWhileShown = form->ListById("services-running").Count(); };
    m->clock.Advance(4999);
    EXPECT_EQ(1u, m->user.shown.size());
    m->clock.Advance(1);
    ASSERT_EQ(2u, m->user.shown.size());
    const DialogRequest& report = m->user.shown[1];
    EXPECT_EQ(DialogKind::Plain, report.kind);
    EXPECT_EQ("Quellmark", report.title);
    EXPECT_EQ("Successful Delete...", report.text);
    EXPECT_EQ(3, rowsWhileShown);  // refilled only after the box was closed
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Gamma"}), Captions());
    EXPECT_EQ("Startup (services) - (2)", form->TabCaptions[kServicesTab]);
    EXPECT_FALSE(form->deletionReportDue);
    m->clock.Advance(60000);
    EXPECT_EQ(2u, m->user.shown.size());
    EXPECT_EQ(1, m->clock.reportsFired);
    EXPECT_EQ(0, m->services.OpenHandles());
}

TEST_F(ServiceActions, AServiceStillRunningAfterItsDeletionIsListedAgain) {
    // Windows removes a service marked for deletion only once it has stopped.
    m->user.answers = {DialogResult::Yes};
    Choose(0, ListCommand::Delete);
    m->clock.Advance(5000);
    EXPECT_EQ((std::vector<std::string>{Confirmation("Alpha"), "Successful Delete..."}), Texts());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta", "Gamma"}), Captions());
    EXPECT_EQ("Startup (services) - (3)", form->TabCaptions[kServicesTab]);
    m->services.Stop("Alpha");
    EXPECT_EQ(nullptr, m->services.Find("Alpha"));
}

TEST_F(ServiceActions, TwoDeletionsWithinTheIntervalAreReportedOnceAtTheFirstDeadline) {
    m->user.answers = {DialogResult::Yes, DialogResult::Yes};
    Choose(0, ListCommand::Delete);
    m->services.Stop("Alpha");
    m->clock.Advance(3000);
    Choose(2, ListCommand::Delete);
    m->services.Stop("Gamma");
    EXPECT_EQ(5000u, m->clock.ReportDeadline());  // enabling it again did not restart it
    m->clock.Advance(1999);
    EXPECT_EQ(2u, m->user.shown.size());
    m->clock.Advance(1);
    EXPECT_EQ((std::vector<std::string>{Confirmation("Alpha"), Confirmation("Gamma"), "Successful Delete..."}),
              Texts());
    EXPECT_EQ((std::vector<std::string>{"Beta"}), Captions());
    EXPECT_EQ("Startup (services) - (1)", form->TabCaptions[kServicesTab]);
    m->clock.Advance(30000);
    EXPECT_EQ(3u, m->user.shown.size());
    EXPECT_EQ(1, m->clock.reportsFired);
}

TEST_F(ServiceActions, TheReportIsShownOnceHoweverLongItStaysOpen) {
    m->user.answers = {DialogResult::Yes};
    Choose(1, ListCommand::Delete);
    m->services.Stop("Beta");
    bool waited = false;
    m->user.whileShown = [&](const DialogRequest& d) {
        if (d.text != "Successful Delete..." || waited) return;
        waited = true;
        m->clock.Advance(30000);  // the message loop runs on while the box is open
    };
    m->clock.Advance(5000);
    EXPECT_TRUE(waited);
    EXPECT_EQ((std::vector<std::string>{Confirmation("Beta"), "Successful Delete..."}), Texts());
    EXPECT_EQ(35000u, m->clock.Now());
    EXPECT_EQ("Startup (services) - (2)", form->TabCaptions[kServicesTab]);
}

TEST_F(ServiceActions, DisablingSetsTheStartTypeOfTheSelectedRowsServiceAndNothingElse) {
    const std::uint64_t version = form->ListById("services-running").Version();
    Choose(2, ListCommand::Disable);
    EXPECT_EQ(kServiceDisabled, m->services.Find("Gamma")->startType);
    EXPECT_EQ(kServiceRunning, m->services.Find("Gamma")->state);
    EXPECT_EQ("C:\\svc\\Gamma.exe -service", m->services.Find("Gamma")->commandLine);
    EXPECT_EQ(kServiceWin32OwnProcess, m->services.Find("Gamma")->type);
    EXPECT_EQ(kServiceAutoStart, m->services.Find("Alpha")->startType);
    EXPECT_TRUE(m->user.shown.empty());
    EXPECT_EQ(version, form->ListById("services-running").Version());
    EXPECT_FALSE(form->deletionReportDue);
    EXPECT_EQ(0, m->services.OpenHandles());
}

TEST_F(ServiceActions, ARefusedDisablingChangesNothingAndIsNotReported) {
    struct Case {
        const char* why;
        std::uint32_t managerRights;
        std::uint32_t serviceRights;
    } cases[] = {
        {"the manager only for reading", kGenericExecute | kScManagerEnumerateService, kServiceAllAccess},
        {"no right to change the configuration", 0xFFFFFFFFu, kServiceAllAccess & ~kServiceChangeConfig},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SetUp();
        m->services.managerGrantedAccess = c.managerRights;
        m->services.Find("Alpha")->grantedAccess = c.serviceRights;
        Choose(0, ListCommand::Disable);
        EXPECT_EQ(kServiceAutoStart, m->services.Find("Alpha")->startType);
        EXPECT_TRUE(m->user.shown.empty());
        EXPECT_EQ(0, m->services.OpenHandles());
    }
}

// After a click on empty space the list keeps a focused row but no selected
// one: nothing is highlighted, so nothing is asked or changed.
TEST_F(ServiceActions, WithoutASelectedRowBothItemsDoNothing) {
    m->user.answers = {DialogResult::Yes};
    for (int focused : {-1, 1}) {
        form->ListById("services-running").SetSelection(-1, focused);
        form->ListCommandClick(kServicesTab, ListCommand::Delete);
        form->ListCommandClick(kServicesTab, ListCommand::Disable);
    }
    EXPECT_TRUE(m->user.shown.empty());
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        EXPECT_FALSE(m->services.Find(name)->markedForDelete) << name;
        EXPECT_EQ(kServiceAutoStart, m->services.Find(name)->startType) << name;
    }
    EXPECT_FALSE(form->deletionReportDue);
}

// The highlighted row is the one named and changed, wherever the focus is.
TEST_F(ServiceActions, BothItemsActOnTheSelectedRowWhenTheFocusIsElsewhere) {
    for (int focused : {0, 2, -1}) {
        SCOPED_TRACE(focused);
        SetUp();
        form->ListById("services-running").SetSelection(1, focused);
        m->user.answers = {DialogResult::Yes};
        form->ListCommandClick(kServicesTab, ListCommand::Disable);
        form->ListCommandClick(kServicesTab, ListCommand::Delete);
        EXPECT_EQ((std::vector<std::string>{Confirmation("Beta")}), Texts());
        EXPECT_TRUE(m->services.Find("Beta")->markedForDelete);
        EXPECT_EQ(kServiceDisabled, m->services.Find("Beta")->startType);
        for (const char* other : {"Alpha", "Gamma"}) {
            EXPECT_FALSE(m->services.Find(other)->markedForDelete) << other;
            EXPECT_EQ(kServiceAutoStart, m->services.Find(other)->startType) << other;
        }
        EXPECT_TRUE(form->deletionReportDue);
    }
}

TEST(ServiceRoutines, DeleteAndDisableByNameCloseEveryHandleTheyOpen) {
    sim::SimDesktop m;
    sim::SimService s;
    s.name = "Scratch";
    s.state = kServiceStopped;
    m.services.Add(s);
    EXPECT_FALSE(DeleteServiceByName(m.services, "Missing"));
    DisableServiceByName(m.services, "scratch");  // names ignore case
    EXPECT_EQ(kServiceDisabled, m.services.Find("Scratch")->startType);
    EXPECT_TRUE(DeleteServiceByName(m.services, "SCRATCH"));
    // Stopped and no handle left open: gone at once.
    EXPECT_EQ(nullptr, m.services.Find("Scratch"));
    EXPECT_FALSE(DeleteServiceByName(m.services, "Scratch"));
    EXPECT_EQ(0, m.services.OpenHandles());
}

}  // namespace
}  // namespace qm
