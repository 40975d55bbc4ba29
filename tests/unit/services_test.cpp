// The services tab: which services are listed, what their rows hold, and a
// machine with more services than one enumeration buffer holds.
#include <gtest/gtest.h>

#include "core/collectors/services.h"
#include "forms/main_form.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kServicesTab = TabOf("services-running");
constexpr std::uint32_t kPaused = 7;
constexpr std::uint32_t kStopPending = 3;
constexpr std::uint32_t kInteractiveOwnProcess = 0x110;

sim::SimService Service(std::string name, std::uint32_t type = kServiceWin32OwnProcess,
                        std::uint32_t state = kServiceRunning, std::uint32_t startType = kServiceDemandStart) {
    sim::SimService s;
    s.displayName = name + " display";
    s.name = std::move(name);
    s.type = type;
    s.state = state;
    s.startType = startType;
    s.commandLine = "C:\\Windows\\" + s.name + ".exe";
    return s;
}

std::vector<std::string> Captions(const EntryList& list) {
    std::vector<std::string> captions;
    for (const Entry& row : list.Rows()) captions.push_back(row.name);
    return captions;
}

TEST(Services, OnlyActiveServicesOfTheirOwnProcessAreListedWhateverTheirStartType) {
    sim::SimDesktop m;
    struct Case {
        const char* name;
        std::uint32_t type, state, startType;
        bool listed;
    } cases[] = {
        {"FirstRunningManual", kServiceWin32OwnProcess, kServiceRunning, kServiceDemandStart, true},
        {"StoppedAutomatic", kServiceWin32OwnProcess, kServiceStopped, kServiceAutoStart, false},
        {"RunningDisabledStartType", kServiceWin32OwnProcess, kServiceRunning, kServiceDisabled, true},
        {"SharedRunning", kServiceWin32ShareProcess, kServiceRunning, kServiceAutoStart, false},
        {"SharedStopped", kServiceWin32ShareProcess, kServiceStopped, kServiceAutoStart, false},
        {"DriverRunning", kServiceKernelDriver, kServiceRunning, kServiceAutoStart, false},
        {"Paused", kServiceWin32OwnProcess, kPaused, kServiceAutoStart, true},
        {"Stopping", kServiceWin32OwnProcess, kStopPending, kServiceAutoStart, true},
        {"Interactive", kInteractiveOwnProcess, kServiceRunning, kServiceAutoStart, true},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        m.services.Add(Service(c.name, c.type, c.state, c.startType));
        if (c.listed) expected.push_back(c.name);
    }
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(expected, Captions(form.ListById("services-running")));
    EXPECT_EQ("Startup (services) - (5)", form.TabCaptions[kServicesTab]);
    EXPECT_EQ(0, m.services.OpenHandles());
    EXPECT_TRUE(m.user.shown.empty());
}

TEST(Services, RowsHoldNameDisplayNameCommandLineAndTheIconOfItsProgram) {
    sim::SimDesktop m;
    sim::SimService quoted = Service("svc");
    quoted.displayName = "S Service";
    quoted.commandLine = "\"C:\\Program Files\\S\\svc.exe\" -run";
    m.services.Add(quoted);
    sim::SimService smss = Service("smss");
    smss.commandLine = "\\SystemRoot\\System32\\smss.exe";
    m.services.Add(smss);
    sim::SimService bare = Service("NoDisplay");
    bare.displayName.reset();
    bare.commandLine = "C:\\tools\\helper.dll";
    m.services.Add(bare);
    sim::SimService locked = Service("Locked");
    locked.grantedAccess = kServiceAllAccess & ~kServiceQueryConfig;  // may do all but read its configuration
    m.services.Add(locked);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(4, form.ListById("services-running").Count());
    const int exe = m.shell.IconIndexOf(".exe");
    struct Expected {
        const char* caption;
        const char* display;
        const char* path;
        int icon;
    } rows[] = {
        {"svc", "S Service", "\"C:\\Program Files\\S\\svc.exe\" -run", exe},
        {"smss", "smss display", "\\SystemRoot\\System32\\smss.exe", exe},
        {"NoDisplay", "", "C:\\tools\\helper.dll",
         m.shell.IconIndexOf("c:\\t") /* no ".exe": the first four characters */},
        {"Locked", "Locked display", "-", m.shell.IconIndexOf("-")},
    };
    for (int i = 0; i < 4; ++i) {
        const Entry& row = form.ListById("services-running").Row(i);
        SCOPED_TRACE(rows[i].caption);
        EXPECT_EQ(rows[i].caption, row.name);
        EXPECT_EQ(rows[i].display, row.service.displayName);
        EXPECT_EQ(rows[i].path, row.command);
        EXPECT_EQ(rows[i].icon, row.image);
    }
    EXPECT_EQ(0, m.services.OpenHandles());
    EXPECT_EQ(sim::SimShell::kSmallImageList, form.ListById("services-running").SmallImages());
}

TEST(Services, AManagerThatCannotBeOpenedListsNothing) {
    struct Case {
        bool available;
        std::uint32_t granted;
    } cases[] = {
        {false, 0xFFFFFFFFu},
        {true, kScManagerEnumerateService},  // no GENERIC_EXECUTE
        {true, kGenericExecute},             // the open asks for the right to enumerate too
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        m.services.Add(Service("Alpha"));
        m.services.managerAvailable = c.available;
        m.services.managerGrantedAccess = c.granted;
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        EXPECT_EQ(0, form.ListById("services-running").Count());
        EXPECT_EQ("Startup (services) - (0)", form.TabCaptions[kServicesTab]);
        EXPECT_TRUE(m.user.shown.empty());
        EXPECT_EQ(0, m.services.OpenHandles());
    }
}

TEST(Services, AMachineWithMoreServicesThanOneBufferHoldsIsListedWholeInOrder) {
    sim::SimDesktop m;
    std::vector<std::string> expected;
    std::uint32_t bytes = 0;
    for (int i = 0; i < 700; ++i) {
        sim::SimService s = Service("Service" + std::to_string(1000 + i));
        s.displayName = std::string(80, 'd');
        if (i % 7 == 3) s.state = kServiceStopped;
        m.services.Add(s);
        if (s.state == kServiceStopped) continue;
        expected.push_back(s.name);
        bytes += sim::SimServices::EntryBytes(s);
    }
    ASSERT_GT(bytes, 2 * kServiceEnumBufferSize);  // three calls at least
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(expected, Captions(form.ListById("services-running")));
    EXPECT_EQ("Startup (services) - (600)", form.TabCaptions[kServicesTab]);
    // Each call went on from the resume handle with the same buffer of 36000 bytes.
    ASSERT_GE(m.services.enumBufferSizes.size(), 3u);
    for (std::uint32_t size : m.services.enumBufferSizes) EXPECT_EQ(36000u, size);
    EXPECT_EQ(0, m.services.OpenHandles());
}

// A manager that behaves as Wine's does: it fills nothing until every entry
// fits, never moves the resume handle, and may count entries it never wrote.
class AllOrNothingServices : public sim::SimServices {
public:
    bool EnumServicesStatus(ScManagerHandle scm, std::uint32_t type, std::uint32_t state, std::uint32_t bufferSize,
                            std::uint32_t& resume, std::vector<ServiceEntry>& out, std::uint32_t& bytesNeeded,
                            long& lastError) override {
        std::vector<ServiceEntry> all;
        std::uint32_t from = resume;
        if (!SimServices::EnumServicesStatus(scm, type, state, 0xFFFFFFFFu, from, all, bytesNeeded, lastError))
            return false;
        std::uint32_t total = 0;
        for (const ServiceEntry& e : all)
            total += 36 + static_cast<std::uint32_t>(e.serviceName.size() + 1 +
                                                     (e.displayName ? e.displayName->size() + 1 : 0));
        if (total <= bufferSize) {
            out.insert(out.end(), all.begin(), all.end());
            bytesNeeded = 0;
            return true;
        }
        out.push_back(ServiceEntry{});  // an entry it counted but never filled in
        bytesNeeded = total;
        lastError = kErrorMoreData;
        return false;
    }
};

TEST(Services, ACallThatMovesNothingForwardIsRepeatedWithALargerBuffer) {
    // The simulated manager fills what fits; the other one nothing at all.
    sim::SimServices partial;
    AllOrNothingServices allOrNothing;
    for (sim::SimServices* services : std::vector<sim::SimServices*>{&partial, &allOrNothing}) {
        std::vector<std::string> expected;
        for (int i = 0; i < 40; ++i) {
            services->Add(Service("S" + std::to_string(i)));
            expected.push_back("S" + std::to_string(i));
        }
        const ScManagerHandle manager = services->OpenSCManager(kGenericExecute | kScManagerEnumerateService);
        // 40 bytes cannot hold even one entry.
        for (std::uint32_t first : {40u, 100u, kServiceEnumBufferSize}) {
            std::vector<std::string> names;
            for (const ServiceEntry& e :
                 ListServices(*services, manager, kServiceWin32OwnProcess, kServiceActive, first))
                names.push_back(e.serviceName);
            EXPECT_EQ(expected, names) << first;
        }
        services->CloseServiceHandle(manager);
    }
}

TEST(Services, ShowingTheTabReadsTheServicesAgain) {
    sim::SimDesktop m;
    m.services.Add(Service("Alpha"));
    m.services.Add(Service("Beta"));
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(2, form.ListById("services-running").Count());
    m.services.Stop("Alpha");
    m.services.Add(Service("Gamma"));
    form.SelectTab(kServicesTab);
    EXPECT_EQ((std::vector<std::string>{"Beta", "Gamma"}), Captions(form.ListById("services-running")));
    EXPECT_EQ("Startup (services) - (2)", form.TabCaptions[kServicesTab]);
}

TEST(Services, BinaryPathIsADashWithoutAHandleOrWithoutTheRightToReadTheConfiguration) {
    sim::SimDesktop m;
    sim::SimService s = Service("Alpha");
    s.commandLine = "C:\\a.exe -x";
    s.grantedAccess = kServiceAllAccess & ~kServiceQueryConfig;
    m.services.Add(s);
    m.services.Add(Service("Beta"));
    const ScManagerHandle manager = m.services.OpenSCManager(kScManagerAllAccess);
    const ServiceHandle alpha = m.services.OpenService(manager, "alpha", kServiceDelete);  // names ignore case
    const ServiceHandle beta = m.services.OpenService(manager, "Beta", kServiceQueryConfig);
    EXPECT_EQ("-", GetServiceBinaryPath(m.platform, ServiceHandle{}));
    EXPECT_EQ("-", GetServiceBinaryPath(m.platform, alpha));
    EXPECT_EQ("C:\\Windows\\Beta.exe", GetServiceBinaryPath(m.platform, beta));
    for (ServiceHandle h : {beta, alpha}) m.services.CloseServiceHandle(h);
    m.services.CloseServiceHandle(manager);
    EXPECT_EQ(0, m.services.OpenHandles());
}

}  // namespace
}  // namespace qm
