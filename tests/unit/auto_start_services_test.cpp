// The "Services and Drivers" tab: every service and driver that starts by
// itself, running or not, with the file it loads; Delete and Disable as on
// the services tab; Properties, Jump To and the Item Properties dialog
// inspect the driver's or program's own file.
#include <gtest/gtest.h>

#include "core/model/image_path.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
#include "platform/sim/version_block.h"
#include "ui/sim/sim_desktop.h"
#include "unit/tabs.h"

namespace qm {
namespace {

constexpr int kTab = TabOf("services-drivers");
constexpr std::uint32_t kStartPending = 2, kPaused = 7;
constexpr std::uint32_t kInteractiveOwnProcess = 0x110;
constexpr std::uint32_t kRecognizerDriver = 0x8;

sim::SimService Service(std::string name, std::uint32_t type, std::uint32_t state, std::uint32_t startType,
                        std::string commandLine) {
    sim::SimService s;
    s.displayName = name + " display";
    s.name = std::move(name);
    s.type = type;
    s.state = state;
    s.startType = startType;
    s.commandLine = std::move(commandLine);
    return s;
}

std::vector<std::string> Captions(const EntryList& list) {
    std::vector<std::string> captions;
    for (const Entry& row : list.Rows()) captions.push_back(row.name);
    return captions;
}

std::vector<std::string> Started(sim::SimDesktop& m) {
    std::vector<std::string> lines;
    for (const auto& call : m.processes.calls)
        if (call.kind == sim::WindowCall::Start) lines.push_back(call.text);
    return lines;
}

TEST(ServiceImageFile, EveryFormTheSystemLoadsFromIsAPlainPath) {
    struct Case {
        const char* commandLine;
        bool driver;
        const char* file;
    } cases[] = {
        {"\"C:\\Program Files\\Svc\\svc.exe\" -k run", false, "C:\\Program Files\\Svc\\svc.exe"},
        {"\"C:\\Program Files\\Svc\\svc.exe", false, "C:\\Program Files\\Svc\\svc.exe"},  // no closing quote
        {"C:\\Program Files\\Svc\\svc.exe -k run", false, "C:\\Program Files\\Svc\\svc.exe"},
        {"C:\\Windows\\system32\\svchost.exe -k netsvcs -p", false, "C:\\Windows\\system32\\svchost.exe"},
        {"C:\\tools\\my.service.exe /run", false, "C:\\tools\\my.service.exe"},  // a dot inside the name
        {"C:\\tools\\plain", false, "C:\\tools\\plain"},
        {"\\SystemRoot\\System32\\drivers\\qmdrv.sys", true, "C:\\windows\\System32\\drivers\\qmdrv.sys"},
        {"\\systemroot\\system32\\smss.exe", false, "C:\\windows\\system32\\smss.exe"},
        {"%SystemRoot%\\System32\\svchost.exe -k LocalService", false, "C:\\windows\\System32\\svchost.exe"},
        {"%windir%\\system32\\spoolsv.exe", false, "C:\\windows\\system32\\spoolsv.exe"},
        {"System32\\drivers\\null.sys", true, "C:\\windows\\System32\\drivers\\null.sys"},
        {"system32\\DRIVERS\\disk.sys", true, "C:\\windows\\system32\\DRIVERS\\disk.sys"},
        {"\\??\\C:\\Drivers\\qm.sys", true, "C:\\Drivers\\qm.sys"},
        {"\\\\?\\D:\\Drivers\\qm.sys", true, "D:\\Drivers\\qm.sys"},
        {"\\??\\UNC\\server\\share\\qm.sys", true, "\\\\server\\share\\qm.sys"},
        {"\\\\server\\share\\svc.exe -x", false, "\\\\server\\share\\svc.exe"},
        {"\\Drivers\\root.sys", true, "C:\\Drivers\\root.sys"},
        {"", true, "C:\\windows\\System32\\drivers\\QmDrv.sys"},  // the kernel's own default
        {"", false, ""},
        {"  \"C:\\a b\\c.exe\"  ", false, "C:\\a b\\c.exe"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.file, ServiceImageFile(c.commandLine, "C:\\windows\\", "QmDrv", c.driver)) << c.commandLine;
}

TEST(ServicesAndDrivers, EveryServiceAndDriverThatStartsByItselfIsListedRunningOrNot) {
    sim::SimDesktop m;
    struct Case {
        const char* name;
        std::uint32_t type, state, startType;
        bool listed;
    } cases[] = {
        {"AutoStopped", kServiceWin32OwnProcess, kServiceStopped, kServiceAutoStart, true},
        {"AutoRunning", kServiceWin32OwnProcess, kServiceRunning, kServiceAutoStart, true},
        {"SharedAuto", kServiceWin32ShareProcess, kServiceStopped, kServiceAutoStart, true},
        {"BootDriver", kServiceKernelDriver, kServiceRunning, kServiceBootStart, true},
        {"SystemFsDriver", kServiceFileSystemDriver, kServiceStopped, kServiceSystemStart, true},
        {"Recognizer", kRecognizerDriver, kServiceRunning, kServiceSystemStart, true},
        {"InteractiveAuto", kInteractiveOwnProcess, kPaused, kServiceAutoStart, true},
        {"ManualRunning", kServiceWin32OwnProcess, kServiceRunning, kServiceDemandStart, false},
        {"ManualDriver", kServiceKernelDriver, kServiceRunning, kServiceDemandStart, false},
        {"DisabledAuto", kServiceWin32OwnProcess, kServiceStopped, kServiceDisabled, false},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        m.services.Add(Service(c.name, c.type, c.state, c.startType, "C:\\svc\\x.exe"));
        if (c.listed) expected.push_back(c.name);
    }
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    EXPECT_EQ(expected, Captions(form.ListOf(kTab)));
    EXPECT_EQ("Services and Drivers (7)", form.TabCaptions[kTab]);
    // The services tab keeps to the running ones of their own process.
    EXPECT_EQ((std::vector<std::string>{"AutoRunning", "InteractiveAuto", "ManualRunning"}),
              Captions(form.ListById("services-running")));
    EXPECT_EQ(0, m.services.OpenHandles());
    EXPECT_TRUE(m.user.shown.empty());
}

TEST(ServicesAndDrivers, RowsNameTypeStartStateTheFileAndTheCommandLine) {
    sim::SimDesktop m;
    m.services.Add(Service("QmAuto", kServiceWin32OwnProcess, kServiceStopped, kServiceAutoStart,
                           "\"C:\\Program Files\\Qm\\qm svc.exe\" -run"));
    m.services.Add(Service("QmShared", kServiceWin32ShareProcess, kStartPending, kServiceAutoStart,
                           "%SystemRoot%\\System32\\svchost.exe -k qm"));
    m.services.Add(Service("QmDrv", kServiceKernelDriver, kServiceRunning, kServiceBootStart,
                           "\\SystemRoot\\System32\\drivers\\qm.sys"));
    sim::SimService fs = Service("QmFs", kServiceFileSystemDriver, kServiceStopped, kServiceSystemStart, "");
    fs.displayName.reset();  // listed without a display name
    m.services.Add(fs);
    m.services.Add(Service("QmOdd", kRecognizerDriver, 9, kServiceAutoStart, "C:\\odd.exe"));
    // May be listed, not read: whether it starts by itself is unknown, so it stays.
    sim::SimService locked =
        Service("QmLocked", kServiceWin32OwnProcess, kServiceRunning, kServiceDemandStart, "C:\\locked.exe");
    locked.grantedAccess = kServiceAllAccess & ~kServiceQueryConfig;
    m.services.Add(locked);
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    const EntryList& list = form.ListOf(kTab);
    ASSERT_EQ(6, list.Count());
    const std::vector<std::vector<std::string>> rows{
        {"QmAuto display", "own process", "automatic", "stopped", "C:\\Program Files\\Qm\\qm svc.exe",
         "\"C:\\Program Files\\Qm\\qm svc.exe\" -run"},
        {"QmShared display", "shared process", "automatic", "start pending", "C:\\windows\\System32\\svchost.exe",
         "%SystemRoot%\\System32\\svchost.exe -k qm"},
        {"QmDrv display", "kernel driver", "boot", "running", "C:\\windows\\System32\\drivers\\qm.sys",
         "\\SystemRoot\\System32\\drivers\\qm.sys"},
        {"", "file-system driver", "system", "stopped", "C:\\windows\\System32\\drivers\\QmFs.sys", ""},
        {"QmOdd display", "type 0x8", "automatic", "state 0x9", "C:\\odd.exe", "C:\\odd.exe"},
        {"QmLocked display", "own process", "(configuration cannot be read)", "running", "", "-"},
    };
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(rows[static_cast<size_t>(i)], CellsAfterName("services-drivers", list.Row(i))) << list.Row(i).name;
        ASSERT_TRUE(std::holds_alternative<ServiceLocation>(list.Row(i).where));
        EXPECT_EQ(list.Row(i).name, std::get<ServiceLocation>(list.Row(i).where).name);
    }
    EXPECT_EQ(m.shell.IconIndexOf(".sys"), list.Row(2).image);  // the driver file's own icon
    EXPECT_EQ(m.shell.IconIndexOf(".exe"), list.Row(0).image);
    EXPECT_EQ(sim::SimShell::kSmallImageList, list.SmallImages());
    EXPECT_EQ(0, m.services.OpenHandles());
}

class ServicesAndDriversActions : public ::testing::Test {
protected:
    void SetUp() override {
        m.services.Add(Service("QmAlpha", kServiceWin32OwnProcess, kServiceStopped, kServiceAutoStart,
                               "\"C:\\svc\\alpha.exe\" -service"));
        m.services.Add(Service("QmDrv", kServiceKernelDriver, kServiceRunning, kServiceSystemStart,
                               "\\SystemRoot\\System32\\drivers\\qmdrv.sys"));
        m.services.Add(
            Service("QmGamma", kServiceWin32ShareProcess, kServiceRunning, kServiceAutoStart, "C:\\svc\\gamma.exe"));
        form = std::make_unique<MainForm>(m.platform, m.toolkit);
        form->ScanAtStart();
        m.clock.Attach(*form);
        form->SelectTab(kTab);
        ASSERT_EQ(3, form->ListOf(kTab).Count());
    }
    void Choose(int row, ListCommand command, int focused = -2) {
        form->ListOf(kTab).SetSelection(row, focused == -2 ? row : focused);
        form->ListCommandClick(kTab, command);
    }
    std::vector<std::uint32_t> StartTypes() {
        return {m.services.Find("QmAlpha")->startType, m.services.Find("QmDrv")->startType,
                m.services.Find("QmGamma")->startType};
    }

    sim::SimDesktop m;
    std::unique_ptr<MainForm> form;
};

TEST_F(ServicesAndDriversActions, NoChangesNothingAndYesDeletesExactlyTheSelectedService) {
    m.user.answers = {DialogResult::No};
    Choose(1, ListCommand::Delete, 2);
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ(DialogKind::Confirmation, m.user.shown[0].kind);
    EXPECT_EQ("Are you sure want to delete autorun \"QmDrv\" ?", m.user.shown[0].text);
    for (const char* name : {"QmAlpha", "QmDrv", "QmGamma"}) EXPECT_FALSE(m.services.Find(name)->markedForDelete);
    m.clock.Advance(60000);
    EXPECT_EQ(1u, m.user.shown.size());

    m.user.answers = {DialogResult::Yes};
    Choose(1, ListCommand::Delete, 2);  // the focused row is another
    ASSERT_EQ(2u, m.user.shown.size());
    EXPECT_EQ("Are you sure want to delete autorun \"QmDrv\" ?", m.user.shown[1].text);
    EXPECT_TRUE(m.services.Find("QmDrv")->markedForDelete);
    EXPECT_FALSE(m.services.Find("QmAlpha")->markedForDelete);
    EXPECT_FALSE(m.services.Find("QmGamma")->markedForDelete);
    // Reported by the timer, as on the services tab; the driver leaves once it stops.
    m.services.Stop("QmDrv");
    m.clock.Advance(5000);
    ASSERT_EQ(3u, m.user.shown.size());
    EXPECT_EQ("Successful Delete...", m.user.shown[2].text);
    EXPECT_EQ((std::vector<std::string>{"QmAlpha", "QmGamma"}), Captions(form->ListOf(kTab)));
    EXPECT_EQ("Services and Drivers (2)", form->TabCaptions[kTab]);
    EXPECT_EQ(0, m.services.OpenHandles());
}

// Disable asks first, naming the service and its start type; for a driver
// Windows loads while it starts, or a service whose failure restarts
// Windows, it warns and "&No" is the default. "&No" changes nothing; "&Yes"
// disables exactly the selected one.
TEST_F(ServicesAndDriversActions, DisableAsksFirstAndWarnsOfWhatWindowsNeeds) {
    m.services.Find("QmGamma")->errorControl = 3;  // SERVICE_ERROR_CRITICAL
    const std::vector<std::uint32_t> before = StartTypes();
    Choose(-1, ListCommand::Disable, 0);  // nothing selected: nothing asked, nothing changes
    EXPECT_TRUE(m.user.shown.empty());
    EXPECT_EQ(before, StartTypes());
    const std::string plain =
        "? Windows will no longer start it; it stays installed, and its start type can be set again.";
    const struct {
        int row;
        std::string question;
        bool defaultNo;
    } cases[] = {
        {0, "Disable the service \"QmAlpha\" (starts: automatic)" + plain, false},
        {1,
         "Disable the driver \"QmDrv\" (starts: system)" + plain +
             "\n\nWindows may not start without it: Windows loads it while it starts. Disable it only if you know it "
             "is "
             "not needed.",
         true},
        {2,
         "Disable the service \"QmGamma\" (starts: automatic)" + plain +
             "\n\nWindows may not start without it: a failure to start it makes Windows restart. Disable it only if "
             "you "
             "know it is not needed.",
         true},
    };
    for (const auto& c : cases) {
        m.user.shown.clear();
        m.user.answers = {DialogResult::No};
        Choose(c.row, ListCommand::Disable, 0);
        ASSERT_EQ(1u, m.user.shown.size()) << c.row;
        EXPECT_EQ(DialogKind::Confirmation, m.user.shown[0].kind);
        EXPECT_EQ(c.question, m.user.shown[0].text);
        EXPECT_EQ(c.defaultNo, m.user.shown[0].defaultNo) << c.row;
        EXPECT_EQ(before, StartTypes()) << c.row;
    }
    m.user.answers = {DialogResult::Yes};
    Choose(1, ListCommand::Disable, 0);
    EXPECT_EQ((std::vector<std::uint32_t>{kServiceAutoStart, kServiceDisabled, kServiceAutoStart}), StartTypes());
    // Disabled, it no longer starts by itself: the next show leaves it out.
    form->SelectTab(TabOf("hkcu-run"));
    form->SelectTab(kTab);
    EXPECT_EQ((std::vector<std::string>{"QmAlpha", "QmGamma"}), Captions(form->ListOf(kTab)));
    EXPECT_EQ(0, m.services.OpenHandles());
}

TEST_F(ServicesAndDriversActions, PropertiesJumpToAndTheItemDialogInspectTheDriverFileItself) {
    sim::VersionFixture v;
    v.fixed = sim::FixedFileFixture{};
    v.translations = {{0x0409, 0x04B0}};
    v.stringTables = {{"040904B0", {{"CompanyName", "Qm Drivers"}, {"FileDescription", "Qm filter"}}}};
    sim::SimFile file;
    file.versionResource = sim::BuildVersionResource(v);
    m.files.AddFolder("C:\\windows\\System32\\drivers");
    m.files.AddFile("C:\\windows\\System32\\drivers\\qmdrv.sys", file);

    Choose(1, ListCommand::Properties);
    const ItemForm& item = *form->itemDialog;
    EXPECT_EQ("QmDrv", item.title);
    EXPECT_EQ("C:\\windows\\System32\\drivers\\qmdrv.sys", item.command);
    EXPECT_EQ("QmDrv display", item.location);
    EXPECT_EQ("Qm Drivers", item.company);
    EXPECT_EQ("Qm filter", item.description);
    EXPECT_TRUE(item.icon.Icon());

    Choose(1, ListCommand::JumpTo);
    form->itemDialog->FindTarget();
    form->itemDialog->ShowShellProperties();
    const std::string opened = "\"C:\\windows\\explorer.exe\" \"C:\\windows\\System32\\drivers\"";
    EXPECT_EQ((std::vector<std::string>{opened, opened}), Started(m));
    ASSERT_EQ(1u, m.shell.executions.size());
    EXPECT_EQ("properties", m.shell.executions[0].operation);
    EXPECT_EQ("C:\\windows\\System32\\drivers\\qmdrv.sys", m.shell.executions[0].file);
    EXPECT_TRUE(m.user.shown.empty());
}

}  // namespace
}  // namespace qm
