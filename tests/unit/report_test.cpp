// The report program on the simulated machine: the rows it prints are the
// rows the window lists, in tab and row order; the two formats read back
// with standard readers' rules; --compare finds what was added, removed and
// changed; the exit codes; a hostile baseline is refused, never followed.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "core/journal/journal.h"
#include "core/model/json_reader.h"
#include "core/registry.h"
#include "forms/main_form.h"
#include "platform/sim/version_block.h"
#include "report/command_line.h"
#include "report/compare.h"
#include "report/formats.h"
#include "report/run.h"
#include "tabs.h"
#include "ui/sim/sim_desktop.h"
#include "unit/sample_entries.h"

namespace qm {
namespace {

using qm::JsonValue;
using report::Record;

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHKLMRunOnce = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components";

// The host of the report on the simulated machine: standard output and
// error as texts, files by name, and a commit that can be made to fail.
class FakeHost : public report::IReportHost {
public:
    struct Output : report::IOutput {
        std::string text;
        std::function<void()> onWrite;
        void Write(std::string_view bytes) override {
            text.append(bytes);
            if (onWrite) onWrite();
        }
    };
    class File : public report::IOutputFile {
    public:
        File(FakeHost& host, std::string path) : host_(host), path_(std::move(path)) {}
        void Write(std::string_view bytes) override { text_.append(bytes); }
        bool Commit(std::string& error) override {
            if (host_.commitFails) {
                error = "Access denied (error 5)";
                return false;
            }
            host_.files[path_] = text_;
            return true;
        }

    private:
        FakeHost& host_;
        std::string path_;
        std::string text_;
    };

    report::IOutput& StandardOutput() override { return out; }
    bool StandardOutputOk() override { return true; }
    bool StandardOutputIsConsole() override { return console; }
    void StandardError(std::string_view text) override { err.append(text); }
    bool ReadFile(const std::string& path, size_t limit, std::string& contents, std::string& error) override {
        auto it = files.find(path);
        if (it == files.end()) {
            error = "The system cannot find the file specified (error 2)";
            return false;
        }
        if (it->second.size() > limit) {
            error = "too large";
            return false;
        }
        contents = it->second;
        return true;
    }
    std::unique_ptr<report::IOutputFile> CreateOutputFile(const std::string& path, std::string&) override {
        return std::make_unique<File>(*this, path);
    }

    Output out;
    std::string err;
    std::map<std::string, std::string> files;
    bool commitFails = false;
    bool console = false;  // standard output is a console
};

int RunProgram(sim::SimMachine& m, FakeHost& host, std::vector<std::string> arguments) {
    return report::RunReport(m.platform, kCategories, arguments, host);
}

// One entry in every kind of place the categories read, and a file with
// version details behind one of them.
void Populate(sim::SimMachine& m) {
    m.registry.SetString(kHKCURun, "Tray", "\"C:\\Tools\\Tray.exe\" -q");
    m.registry.SetString(kHKCURun, "Gone", "C:\\missing\\gone.exe");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run", "Pol",
                         "C:\\pol.exe");
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell", "explorer.exe");
    m.registry.SetString("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\s.scr");
    m.registry.SetString(std::string(kComponents) + "\\{c}", "StubPath", "C:\\stub.exe");
    testing::AddUserStartupShortcut(m, "t.lnk", "C:\\t.exe");
    testing::AddRunningService(m, "Svc", "Service", "C:\\svc.exe");
    // The places beyond the Run keys: a list value of two DLLs, a program's
    // debugger and a task file.
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "AppInit_DLLs",
                         "C:\\hooks\\a.dll C:\\hooks\\b.dll");
    m.registry.SetString(
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\notepad.exe", "Debugger",
        "C:\\dbg.exe");
    testing::AddLogonTask(m, "Qm\\Nightly", "C:\\task.exe");

    sim::VersionFixture v;
    v.fixed = sim::FixedFileFixture{};
    v.translations = {{0x0409, 1252}};
    v.stringTables = {
        {"040904E4", {{"CompanyName", "Tray Makers"}, {"FileDescription", "Tray icon"}, {"FileVersion", "2.5.1"}}}};
    sim::SimFile tray;
    tray.exeType = 0x4550;
    tray.versionResource = sim::BuildVersionResource(v);
    m.files.AddFile("C:\\Tools\\Tray.exe", tray);
}

std::vector<Record> Entries(const std::string& json) {
    std::vector<Record> records;
    std::string error;
    EXPECT_TRUE(report::ReadBaseline(json, records, error)) << error << "\n" << json;
    return records;
}

report::EntryLocation RegistryAt(const std::string& key, const std::string& value, const char* view = "default") {
    report::EntryLocation at;
    at.type = "registry";
    at.root = "HKEY_CURRENT_USER";
    at.view = view;
    at.key = key;
    at.value = value;
    return at;
}

const Record* Find(const std::vector<Record>& records, const std::string& category, const std::string& name) {
    for (const Record& r : records)
        if (r.category == category && r.name == name) return &r;
    return nullptr;
}

// ---- The rows ------------------------------------------------------------------

TEST(Report, ListsEveryRowTheWindowListsInTabAndRowOrder) {
    sim::SimDesktop shown;
    sim::SimMachine machine;
    Populate(shown);
    Populate(machine);
    MainForm form(shown.platform, shown.toolkit);
    form.ScanAtStart();
    std::vector<std::vector<std::string>> windowRows;
    std::vector<std::string> windowTabs;
    for (int tab = 0; tab < form.TabCount(); ++tab) {
        form.ShowPage(tab);  // each tab as the user sees it when choosing it
        form.UpdateCountCaption(tab);
        for (const Entry& row : form.ListOf(tab).Rows()) {
            std::vector<std::string> cells{row.name};
            for (size_t c = 1; c < form.CategoryOf(tab).columns.size(); ++c)
                cells.push_back(CellText(form.CategoryOf(tab), row, c));
            windowRows.push_back(cells);
            // The caption without its count: "HKCU / Run (2)", "Startup (user) - (1)".
            windowTabs.push_back(std::string(form.CategoryOf(tab).id) + " " +
                                 std::regex_replace(form.TabCaptions[tab], std::regex("( -)? \\([0-9]+\\)$"), ""));
        }
    }
    ASSERT_LT(8u, windowRows.size());

    FakeHost host;
    EXPECT_EQ(report::kExitOk, RunProgram(machine, host, {}));
    EXPECT_EQ("", host.err);
    const std::vector<Record> records = Entries(host.out.text);
    ASSERT_EQ(windowRows.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(windowRows[i], records[i].columns) << i;
        EXPECT_EQ(windowTabs[i], records[i].category + " " + records[i].tab) << i;
    }
    // No icon and no image list is asked for: they serve the window only.
    EXPECT_EQ(0u, machine.shell.fileInfoFlags & (kShgfiIcon | kShgfiSysIconIndex));
    EXPECT_EQ(0, machine.shell.LiveIcons());
    EXPECT_EQ(0, machine.registry.OpenHandles());
    EXPECT_EQ(0, machine.services.OpenHandles());
}

TEST(Report, EachEntryCarriesItsTypedLocationTargetFileAndMark) {
    sim::SimMachine m;
    Populate(m);
    m.registry.SetString(std::string(kComponents) + "\\{anon}", "StubPath", "C:\\anon.exe");
    m.registry.SetString(kHKCURun, "Net", "\\\\server\\share\\net.exe");
    FakeHost host;
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {"--format", "json"}));
    const std::vector<Record> records = Entries(host.out.text);

    const Record* tray = Find(records, "hkcu-run", "Tray");
    ASSERT_TRUE(tray);
    EXPECT_EQ("HKCU / Run", tray->tab);
    EXPECT_EQ("Startup (user)", Find(records, "startup-user", "t.lnk")->tab);
    EXPECT_EQ("\"C:\\Tools\\Tray.exe\" -q", tray->command);
    EXPECT_EQ("registry", tray->location.type);
    EXPECT_EQ("HKEY_CURRENT_USER", tray->location.root);
    EXPECT_EQ("default", tray->location.view);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", tray->location.key);
    EXPECT_EQ("Tray", tray->location.value);
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", tray->locationText);
    EXPECT_EQ("c:\\tools\\tray.exe", tray->target);
    EXPECT_EQ(std::optional<bool>(true), tray->targetExists);
    EXPECT_EQ("Tray Makers", tray->company);
    EXPECT_EQ("Tray icon", tray->description);
    EXPECT_EQ("2.5.1", tray->version);
    // Only the version strings are read: not the shell's type name nor the
    // fixed information's type text, for which the window enables the
    // debug privilege; a report has no use for either.
    EXPECT_EQ(0u, m.shell.fileInfoFlags & kShgfiTypeName);
    EXPECT_EQ(0, m.token.adjustCalls);
    EXPECT_TRUE(m.token.enabled.empty());

    const Record* gone = Find(records, "hkcu-run", "Gone");
    ASSERT_TRUE(gone);
    EXPECT_EQ(std::optional<bool>(false), gone->targetExists);
    EXPECT_EQ("", gone->company);

    // Only a full local path is looked at: not a bare name (the current
    // folder is no place to look for it), not a path on another machine.
    const Record* shell = Find(records, "winlogon", "Shell");
    ASSERT_TRUE(shell);
    EXPECT_EQ("explorer.exe", shell->target);
    EXPECT_EQ(std::nullopt, shell->targetExists);
    const Record* net = Find(records, "hkcu-run", "Net");
    ASSERT_TRUE(net);
    EXPECT_EQ("\\\\server\\share\\net.exe", net->target);
    EXPECT_EQ(std::nullopt, net->targetExists);
    for (const std::string& path : m.files.reached) {
        EXPECT_EQ(std::string::npos, path.find("server")) << path;
        EXPECT_NE("explorer.exe", path);
    }

    const Record* link = Find(records, "startup-user", "t.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ("file", link->location.type);
    EXPECT_EQ(m.shell.specialFolders.at(kCsidlStartup) + "\\", link->location.folder);
    EXPECT_EQ("t.lnk", link->location.file);

    const Record* svc = Find(records, "services-running", "Svc");
    ASSERT_TRUE(svc);
    EXPECT_EQ("service", svc->location.type);
    EXPECT_EQ("Svc", svc->location.service);
    EXPECT_EQ("C:\\svc.exe", svc->command);

    // Marks as the lists draw them: a component without an identifier, a place without a value.
    const Record* anon = nullptr;
    for (const Record& r : records)
        if (r.location.component == "{anon}") anon = &r;
    ASSERT_TRUE(anon);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Active Setup\\Installed Components", anon->location.key);
    EXPECT_EQ("Suspect Malware", anon->mark);
    const Record* userinit = Find(records, "winlogon", "Userinit");
    ASSERT_TRUE(userinit);
    EXPECT_EQ("No Autorun Entry", userinit->mark);
    EXPECT_EQ("", userinit->target);  // a place without a value starts nothing
    EXPECT_EQ(std::nullopt, userinit->targetExists);
    EXPECT_EQ("", Find(records, "winlogon", "Shell")->mark);
    EXPECT_EQ("", tray->mark);
}

TEST(Report, TheThirtyTwoBitViewIsALocationOfItsOwn) {
    sim::SimMachine m;
    m.Make64Bit();
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "Same", "C:\\64.exe");
    m.registry.SetString("HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "Same", "C:\\32.exe");
    FakeHost host;
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {}));
    std::vector<Record> lv;
    for (Record& r : Entries(host.out.text))
        if (r.category == "hklm-run") lv.push_back(r);
    ASSERT_EQ(2u, lv.size());
    EXPECT_EQ("64", lv[0].location.view);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", lv[0].location.key);
    EXPECT_EQ("32", lv[1].location.view);
    EXPECT_EQ("SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", lv[1].location.key);
    EXPECT_NE(report::IdentityOf(lv[0]), report::IdentityOf(lv[1]));
}

TEST(Report, ReadsEachValueOnceWhereTheWindowReadsItAgainForItsIcon) {
    const auto readsOfTray = [](sim::SimMachine& m, const std::function<void()>& run) {
        int reads = 0;
        m.registry.SetString(kHKCURun, "Tray", "C:\\tray.exe");
        m.registry.beforeRead = [&](const std::string& name) { reads += name == "Tray"; };
        run();
        return reads;
    };
    // The report asks for the data at once; the window asks for the type
    // and size first, then the data, and all that again for the icon.
    sim::SimMachine m;
    FakeHost host;
    EXPECT_EQ(1, readsOfTray(m, [&] { RunProgram(m, host, {}); }));
    EXPECT_NE(std::string::npos, host.out.text.find("C:\\\\tray.exe"));
    sim::SimDesktop shown;
    MainForm form(shown.platform, shown.toolkit);
    EXPECT_EQ(4, readsOfTray(shown, [&] { form.ScanAtStart(); }));
}

TEST(Report, EachRunValueCostsOneRegistryCallNameAndDataTogether) {
    // What 50 more values in the Run key add to the report's value calls,
    // and to the window's.
    const auto addedCalls = [](const std::function<void(sim::SimMachine&)>& run) {
        sim::SimDesktop few, many;
        for (int i = 0; i < 50; ++i)
            many.registry.SetString(kHKCURun, "V" + std::to_string(i),
                                    "\"C:\\App" + std::to_string(i) + "\\a.exe\" -x");
        run(few);
        run(many);
        return many.registry.ValueCalls() - few.registry.ValueCalls();
    };
    EXPECT_EQ(50, addedCalls([](sim::SimMachine& m) {
                  FakeHost host;
                  RunProgram(m, host, {});
              }));
    // The window lists the names, then reads each value's size, its data,
    // and both again for its icon.
    EXPECT_EQ(250, addedCalls([](sim::SimMachine& m) {
                  MainForm form(m.platform, static_cast<sim::SimDesktop&>(m).toolkit);
                  form.ScanAtStart();
              }));
}

TEST(Report, AValueReadInOneCallReadsAsTheWindowShowsItWhateverItHolds) {
    // The report reads each value in the call that enumerates it. Where
    // that read cannot answer (more data than its buffer, data that refuses
    // reading) the type and size are asked for first, as the window does,
    // and a value gone since then reads as the window shows it.
    std::vector<std::uint8_t> big(Registry::kOneReadBytes + 2, 'x');
    big.back() = big[big.size() - 2] = 0;
    struct Case {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
        int reads;  // by the report
    } cases[] = {
        {"Text", kRegSz, {'a', '.', 'e', 'x', 'e', 0}, 1},
        {"Expand", kRegExpandSz, {'%', 'X', '%', 0}, 1},
        {"Empty", kRegSz, {}, 1},
        {"Cut", kRegSz, {'a', 0, 'b', 0}, 1},
        {"Number", kRegDword, {1, 0, 0, 0}, 1},
        {"Bytes", kRegBinary, {1}, 1},
        {"Large", kRegSz, big, 3},
        {"LargeBytes", kRegBinary, std::vector<std::uint8_t>(Registry::kOneReadBytes + 1, 7), 2},
        {"Refused", kRegBinary, {1, 2, 3}, 2},
        {"Vanishes", kRegSz, big, 2},
    };
    const auto fill = [&](sim::SimMachine& m) {
        for (const Case& c : cases) m.registry.SetRaw(kHKCURun, c.name, c.type, c.data);
        m.registry.Key(kHKCURun)->unreadable.insert("refused");
    };
    // Another program removes "Vanishes" just before its read by name: the
    // report's second read of it, the window's first.
    const auto vanish = [](sim::SimMachine& m, int atRead) {
        int reads = 0;
        m.registry.beforeRead = [&m, reads, atRead](const std::string& name) mutable {
            if (name == "Vanishes" && ++reads == atRead) m.registry.Key(kHKCURun)->EraseValue("Vanishes");
        };
    };
    sim::SimMachine m;
    fill(m);
    vanish(m, 2);
    std::map<std::string, int> reads;
    const auto erase = m.registry.beforeRead;
    m.registry.beforeRead = [&](const std::string& name) {
        ++reads[name];
        erase(name);
    };
    FakeHost host;
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {}));
    const std::vector<Record> records = Entries(host.out.text);

    sim::SimDesktop shown;
    fill(shown);
    vanish(shown, 1);
    MainForm form(shown.platform, shown.toolkit);
    form.ScanAtStart();
    ASSERT_EQ(static_cast<int>(std::size(cases)), form.ListById("hkcu-run").Count());
    for (int i = 0; i < form.ListById("hkcu-run").Count(); ++i) {
        const std::string name = form.ListById("hkcu-run").Row(i).name;
        const Record* r = Find(records, "hkcu-run", name);
        ASSERT_TRUE(r) << name;
        EXPECT_EQ(report::ShownText(form.ListById("hkcu-run").Row(i).command), r->command) << name;
        for (const Case& c : cases)
            if (name == c.name) {
                EXPECT_EQ(c.reads, reads[name]) << name;
            }
    }
}

TEST(Report, TheWindowsFolderIsAskedForOnceForAllSystem32Targets) {
    sim::SimMachine m;
    m.Make64Bit();
    sim::SimFile program;
    m.files.AddFile("C:\\windows\\System32\\native.exe", program);
    for (int i = 0; i < 5; ++i)
        m.registry.SetString(kHKCURun, "N" + std::to_string(i),
                             "C:\\WINDOWS\\system32\\native.exe /" + std::to_string(i));
    m.registry.SetString(kHKCURun, "Other", "C:\\windows\\SysWOW64\\native.exe");
    m.registry.SetString(kHKCURun, "Short", "C:\\x.exe");
    FakeHost host;
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {}));
    const std::vector<Record> records = Entries(host.out.text);
    for (int i = 0; i < 5; ++i) {
        const Record* r = Find(records, "hkcu-run", "N" + std::to_string(i));
        ASSERT_TRUE(r);
        EXPECT_EQ(std::optional<bool>(true), r->targetExists) << i;  // the real System32, through Sysnative
    }
    ASSERT_TRUE(Find(records, "hkcu-run", "Other"));
    EXPECT_EQ(std::optional<bool>(false), Find(records, "hkcu-run", "Other")->targetExists);
    EXPECT_EQ(std::optional<bool>(false), Find(records, "hkcu-run", "Short")->targetExists);
    // The other tabs ask for the folder once each, whatever they hold; the
    // five targets of the Run key add one question for all of them.
    sim::SimMachine empty;
    empty.Make64Bit();
    FakeHost emptyHost;
    ASSERT_EQ(report::kExitOk, RunProgram(empty, emptyHost, {}));
    EXPECT_EQ(empty.system.windowsDirectoryCalls + 1, m.system.windowsDirectoryCalls);
}

TEST(Report, EachEntryIsWrittenAsItsRowIsReadNotAllAtTheEnd) {
    sim::SimMachine m;
    Populate(m);
    FakeHost host;
    // What the output held when the Run key's second value was read, and
    // when the screen saver's tab, the last one, was.
    std::string atSecondValue, atLastTab;
    m.registry.beforeRead = [&](const std::string& name) {
        if (name == "Gone" && atSecondValue.empty()) atSecondValue = host.out.text + " ";
        if (name == "Scrnsave.exe" && atLastTab.empty()) atLastTab = host.out.text + " ";
    };
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {"--format", "csv"}));
    EXPECT_NE(std::string::npos, atSecondValue.find("Tray")) << atSecondValue;
    EXPECT_EQ(std::string::npos, atSecondValue.find("Gone")) << atSecondValue;
    EXPECT_NE(std::string::npos, atLastTab.find("C:\\svc.exe")) << atLastTab;
}

// ---- Locations that cannot be read: exit 2, everything else reported --------------

TEST(Report, ALocationThatCannotBeReadIsAnEntryWithItsErrorAndTheRestIsReported) {
    struct Case {
        const char* what;
        std::function<void(sim::SimMachine&)> damage;
        std::vector<std::string> categories;  // of the entries that carry the error, in report order
        const char* error;                    // what the error text holds
    };
    const Case cases[] = {
        {"a key that refuses reading",
         [](sim::SimMachine& m) { m.registry.Key(kHKLMRunOnce)->deniedAccess = kKeyQueryValue; },
         {"hklm-runonce"},
         "access denied"},
        {"a service whose configuration is refused",
         [](sim::SimMachine& m) {
             sim::SimService locked;
             locked.name = "Locked";
             locked.commandLine = "C:\\locked.exe";
             locked.grantedAccess = kServiceAllAccess & ~kServiceQueryConfig;
             m.services.Add(locked);
         },
         // Listed among the running services, and among those that start by
         // themselves, since its start type cannot be read either.
         {"services-running", "services-drivers"},
         "configuration cannot be read"},
        {"a key of hooks that refuses reading",
         [](sim::SimMachine& m) {
             m.registry.Key("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows")->deniedAccess =
                 kKeyQueryValue;
         },
         {"system-hooks"},
         "access denied"},
        {"a value whose data cannot be read",
         [](sim::SimMachine& m) {
             m.registry.SetString(kHKCURun, "Bad", "C:\\bad.exe");
             m.registry.Key(kHKCURun)->unreadable.insert("bad");
         },
         {"hkcu-run"},
         "Failed to get data for 'Bad'"},
    };
    for (const Case& c : cases) {
        sim::SimMachine m;
        Populate(m);
        m.registry.SetString(kHKLMRunOnce, "Once", "C:\\once.exe");
        c.damage(m);
        FakeHost host;
        EXPECT_EQ(report::kExitPartial, RunProgram(m, host, {})) << c.what;
        EXPECT_NE(std::string::npos, host.err.find("could not be read")) << c.what;
        const std::vector<Record> records = Entries(host.out.text);
        std::vector<std::string> errors;
        for (const Record& r : records) {
            if (r.error.empty()) continue;
            errors.push_back(r.category);
            EXPECT_NE(std::string::npos, r.error.find(c.error)) << c.what << ": " << r.error;
            EXPECT_EQ("", r.target) << c.what;
        }
        EXPECT_EQ(c.categories, errors) << c.what;
        // Everything else is there, the tabs after the damaged one included.
        for (const auto& [category, name] :
             std::vector<std::pair<std::string, std::string>>{{"hkcu-run", "Tray"},
                                                              {"startup-user", "t.lnk"},
                                                              {"services-running", "Svc"},
                                                              {"screensaver", "Scrnsave"}})
            EXPECT_TRUE(Find(records, category, name)) << c.what << ": " << name;
    }
}

TEST(Report, AValueThatIsNotTextIsAnEntryNamingItsTypeAndSize) {
    sim::SimMachine m;
    m.registry.SetDword(kHKCURun, "Counter", 7);
    m.registry.SetRaw(kHKCURun, "Blob", kRegBinary, {1, 2, 3});
    m.registry.SetString(kHKCURun, "After", "C:\\after.exe");
    FakeHost host;
    EXPECT_EQ(report::kExitOk, RunProgram(m, host, {}));
    const std::vector<Record> records = Entries(host.out.text);
    ASSERT_TRUE(Find(records, "hkcu-run", "Counter"));
    EXPECT_EQ("(REG_DWORD, 4 bytes)", Find(records, "hkcu-run", "Counter")->command);
    EXPECT_EQ("(REG_BINARY, 3 bytes)", Find(records, "hkcu-run", "Blob")->command);
    EXPECT_EQ("", Find(records, "hkcu-run", "Counter")->target);  // it starts nothing
    EXPECT_EQ(std::nullopt, Find(records, "hkcu-run", "Counter")->targetExists);
    EXPECT_EQ("c:\\after.exe", Find(records, "hkcu-run", "After")->target);
    EXPECT_EQ("C:\\after.exe", Find(records, "hkcu-run", "After")->command);
}

// ---- The formats -----------------------------------------------------------------

TEST(ReportFormats, CsvFieldsAreQuotedExactlyWhereRfc4180NeedsIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"C:\\Program Files\\a.exe", "C:\\Program Files\\a.exe"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\nonly", "\"lf\nonly\""},
        {std::string("nul\0in", 6), "nul\xE2\x90\x80in"},
        {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
        {"", ""},
    };
    for (const auto& [text, field] : cases) EXPECT_EQ(field, report::CsvField(text)) << text;

    Record r;
    r.category = "hkcu-run";
    r.name = "a,b";
    r.columns = {"a,b", "x"};
    r.targetExists = false;
    const std::string line = report::CsvRecord(r, 3);
    EXPECT_EQ("\r\n", line.substr(line.size() - 2));
    EXPECT_EQ(std::string::npos, line.substr(0, line.size() - 2).find('\n'));
    EXPECT_EQ(0u, report::CsvHeader(3, false).find("category,tab,name,command,location_text,column_1,column_2,"
                                                   "column_3,location_type,"));
}

TEST(ReportFormats, ACsvFieldASpreadsheetWouldRunAsAFormulaStartsWithAQuoteUnlessRaw) {
    struct Case {
        std::string text, field, raw;
    } cases[] = {
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\"", "\"=HYPERLINK(\"\"http://x\"\")\""},
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0", "=cmd|' /C calc'!A0"},
        {"+1+1", "'+1+1", "+1+1"},
        {"-2+3", "'-2+3", "-2+3"},
        {"-", "'-", "-"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)", "@SUM(A1:A9)"},
        {"\t=1", "'\t=1", "\t=1"},
        {"\r=1", "\"'\r=1\"", "\"\r=1\""},
        {"=a,b", "\"'=a,b\"", "\"=a,b\""},
        // Only the first character counts.
        {"a=b", "a=b", "a=b"},
        {" =1", " =1", " =1"},
        {"C:\\-x.exe", "C:\\-x.exe", "C:\\-x.exe"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.field, report::CsvField(c.text)) << c.text;
        EXPECT_EQ(c.raw, report::CsvField(c.text, {.formulasAsText = false})) << c.text;
    }
}

TEST(Report, CsvWritesFormulasAsTextInEveryFieldAndAsTheyAreWithCsvRaw) {
    sim::SimMachine m;
    m.registry.SetString(kHKCURun, "=cmd|' /C calc'!A0", "@C:\\x.exe");
    for (const bool raw : {false, true}) {
        FakeHost host;
        std::vector<std::string> arguments{"--format", "csv"};
        if (raw) arguments.push_back("--csv-raw");
        ASSERT_EQ(report::kExitOk, RunProgram(m, host, arguments));
        const std::string quote = raw ? "" : "'";
        // The name, the command, both cells and the typed location's value.
        const std::string line = "\r\nhkcu-run,HKCU / Run," + quote + "=cmd|' /C calc'!A0," + quote + "@C:\\x.exe,";
        EXPECT_NE(std::string::npos, host.out.text.find(line)) << host.out.text;
        EXPECT_NE(std::string::npos,
                  host.out.text.find(",SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run,," + quote + "=cmd|"))
            << host.out.text;
    }
    // JSON is data for programs: as stored.
    FakeHost json;
    ASSERT_EQ(report::kExitOk, RunProgram(m, json, {}));
    EXPECT_NE(std::string::npos, json.out.text.find("\"name\":\"=cmd|' /C calc'!A0\",\"command\":\"@C:\\\\x.exe\""));
}

// A person reading a console sees no field move the cursor or turn itself
// around; a file or a pipe, which programs read, gets the bytes as they are.
TEST(Report, CsvToAConsoleWritesControlCharactersAsTheComparisonDoesAndToAFileAsTheyAre) {
    sim::SimMachine m;
    m.registry.SetString(kHKCURun, "evil\x1b[2Jname", "C:\\x.exe\r\nnext\x07");
    m.registry.SetString(kHKCURun, "Qm\u202Etxt.exe", "C:\\q.exe");
    FakeHost console;
    console.console = true;
    ASSERT_EQ(report::kExitOk, RunProgram(m, console, {"--format", "csv"}));
    for (const char control : {'\x1b', '\x07'}) EXPECT_EQ(std::string::npos, console.out.text.find(control));
    EXPECT_EQ(std::string::npos, console.out.text.find("\u202E")) << console.out.text;
    EXPECT_NE(std::string::npos, console.out.text.find("\r\nhkcu-run,HKCU / Run,Qm<U+202E>txt.exe,C:\\q.exe,"))
        << console.out.text;
    EXPECT_NE(std::string::npos,
              console.out.text.find("\r\nhkcu-run,HKCU / Run,evil\\x1B[2Jname,C:\\x.exe\\x0D\\x0Anext\\x07,"))
        << console.out.text;

    console.files["base.json"] = "{\"schema\":2,\"entries\":[]}";
    console.out.text.clear();
    ASSERT_EQ(report::kExitDifferent, RunProgram(m, console, {"--format", "csv", "--compare", "base.json"}));
    EXPECT_NE(std::string::npos, console.out.text.find("\r\nadded,hkcu-run,HKCU / Run,evil\\x1B[2Jname,"))
        << console.out.text;

    const std::string asStored = "\r\nhkcu-run,HKCU / Run,evil\x1b[2Jname,\"C:\\x.exe\r\nnext\x07\",";
    ASSERT_EQ(report::kExitOk, RunProgram(m, console, {"--format", "csv", "--output", "r.csv"}));
    EXPECT_NE(std::string::npos, console.files["r.csv"].find(asStored)) << console.files["r.csv"];
    FakeHost pipe;
    ASSERT_EQ(report::kExitOk, RunProgram(m, pipe, {"--format", "csv"}));
    EXPECT_NE(std::string::npos, pipe.out.text.find(asStored)) << pipe.out.text;
    EXPECT_NE(std::string::npos, pipe.out.text.find("\r\nhkcu-run,HKCU / Run,Qm\u202Etxt.exe,C:\\q.exe,"));
}

TEST(ReportFormats, AnEntryIsWrittenWithEveryFieldInItsPlace) {
    // The documents that saved reports and other programs' readers hold:
    // each field's spelling and place, in JSON and in CSV, and which
    // members each kind of location has in JSON.
    Record run;
    run.category = "hkcu-run";
    run.tab = "HKCU / Run";
    run.name = "Tray";
    run.command = "C:\\t.exe";
    run.columns = {"Tray", "C:\\t.exe"};
    run.locationText = "HKEY_CURRENT_USER\\Run";
    run.location = RegistryAt("Run", "Tray", "32");
    run.target = "c:\\t.exe";
    run.targetExists = true;
    run.company = "Co";
    run.description = "De";
    run.version = "1.0";
    run.enabled = false;
    run.disabledAt = "2026-12-01T13:05:00Z";
    Record task;
    task.category = "tasks";
    task.tab = "Scheduled Tasks";
    task.name = "\\Qm\\N";
    task.command = "C:\\n.exe";
    task.columns = {"\\Qm\\N"};
    task.locationText = "C:\\T\\Qm\\";
    task.location.type = "task";
    task.location.task = "\\Qm\\N";
    task.location.folder = "C:\\T\\Qm\\";
    task.location.file = "N";
    task.target = "C:\\n.exe";
    task.mark = "m";
    task.error = "e";
    Record service;
    service.location.type = "service";
    service.location.service = "Svc";
    service.location.key = "not written for a service";
    Record file;
    file.location.type = "file";
    file.location.folder = "C:\\S\\";
    file.location.file = "a.lnk";
    file.targetExists = false;
    file.enabled = true;
    const struct {
        const Record& record;
        const char* json;
        const char* csv;
    } cases[] = {
        {run,
         R"({"category":"hkcu-run","tab":"HKCU / Run","name":"Tray","command":"C:\\t.exe","columns":["Tray","C:\\t.exe"],)"
         R"("location_text":"HKEY_CURRENT_USER\\Run","location":{"type":"registry","root":"HKEY_CURRENT_USER","view":"32",)"
         R"("key":"Run","component":"","value":"Tray","item":""},"target":"c:\\t.exe","target_exists":true,"company":"Co",)"
         R"("description":"De","version":"1.0","mark":"","error":"","enabled":false,"disabled_at":"2026-12-01T13:05:00Z"})",
         "hkcu-run,HKCU / Run,Tray,C:\\t.exe,HKEY_CURRENT_USER\\Run,Tray,C:\\t.exe,"
         "registry,HKEY_CURRENT_USER,32,Run,,Tray,,,,,,c:\\t.exe,yes,Co,De,1.0,,,no,2026-12-01T13:05:00Z\r\n"},
        {task,
         R"({"category":"tasks","tab":"Scheduled Tasks","name":"\\Qm\\N","command":"C:\\n.exe","columns":["\\Qm\\N"],)"
         R"("location_text":"C:\\T\\Qm\\","location":{"type":"task","task":"\\Qm\\N","folder":"C:\\T\\Qm\\","file":"N"},)"
         R"("target":"C:\\n.exe","target_exists":null,"company":"","description":"","version":"","mark":"m","error":"e",)"
         R"("enabled":null,"disabled_at":null})",
         "tasks,Scheduled Tasks,\\Qm\\N,C:\\n.exe,C:\\T\\Qm\\,\\Qm\\N,,"
         "task,,,,,,,C:\\T\\Qm\\,N,,\\Qm\\N,C:\\n.exe,,,,,m,e,,\r\n"},
        {service,
         R"({"category":"","tab":"","name":"","command":"","columns":[],"location_text":"","location":{"type":"service",)"
         R"("service":"Svc"},"target":"","target_exists":null,"company":"","description":"","version":"","mark":"","error":"",)"
         R"("enabled":null,"disabled_at":null})",
         ",,,,,,,service,,,not written for a service,,,,,,Svc,,,,,,,,,,\r\n"},
        {file,
         R"({"category":"","tab":"","name":"","command":"","columns":[],"location_text":"","location":{"type":"file",)"
         R"("folder":"C:\\S\\","file":"a.lnk"},"target":"","target_exists":false,"company":"","description":"","version":"",)"
         R"("mark":"","error":"","enabled":true,"disabled_at":null})",
         ",,,,,,,file,,,,,,,C:\\S\\,a.lnk,,,,no,,,,,,yes,\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.json, report::JsonRecord(c.record)) << c.json;
        EXPECT_EQ(c.csv, report::CsvRecord(c.record, 2)) << c.csv;
    }
    EXPECT_EQ(
        "category,tab,name,command,location_text,column_1,column_2,location_type,root,view,key,component,value,item,"
        "folder,file,service,task,target,target_exists,company,description,version,mark,error,enabled,disabled_at\r\n",
        report::CsvHeader(2, false));
}

TEST(ReportFormats, JsonStringsEscapeWhatJsonForbidsAndStayValidUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"C:\\a \"b\"", "\"C:\\\\a \\\"b\\\"\""},
        {std::string("\0\x01\x1f\x7f", 4), "\"\\u0000\\u0001\\u001f\\u007f\""},
        {"tab\tline\r\n", "\"tab\\tline\\r\\n\""},
        {"\xD0\x96 \xF0\x9F\x98\x80", "\"\xD0\x96 \xF0\x9F\x98\x80\""},  // Cyrillic and an emoji pass unchanged
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                    // an overlong form
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},    // a surrogate
        {"cut \xE2\x82", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // past U+10FFFF
        // Escapes first, last and side by side, and a bad byte between them.
        {"\"", "\"\\\"\""},
        {"\\\\x\\", "\"\\\\\\\\x\\\\\""},
        {"\"\xFF\n", "\"\\\"\xEF\xBF\xBD\\n\""},
        {"", "\"\""},
    };
    for (const auto& [text, literal] : cases) EXPECT_EQ(literal, report::JsonString(text)) << text;
}

TEST(ReportFormats, AnEntryReadsBackFromItsJsonExactly) {
    Record r;
    r.category = "hkcu-runonce";
    r.tab = "HKCU / Run Once (1)";
    r.name =
        "Updater\xE2\x90\x80"
        "evil";
    r.command = "\"C:\\qm\\a b.exe\" /x,\"y\"\ttab";
    r.columns = {r.name, r.command, "", "line\nbreak"};
    r.locationText = "HKEY_CURRENT_USER\\Software";
    r.location = RegistryAt("Software\\K", std::string("Updater\0evil", 12));
    r.target = "c:\\qm\\a b.exe";
    r.targetExists = true;
    r.company = "\xE4\xB8\xAD\xE6\x96\x87";
    r.description = "d";
    r.version = "1.2";
    r.mark = "Suspect Malware";
    r.error = "";
    const std::string document =
        "{\"schema\":" + std::to_string(report::kSchemaVersion) + ",\"entries\":[" + report::JsonRecord(r) + "]}";
    const std::vector<Record> back = Entries(document);
    ASSERT_EQ(1u, back.size());
    const Record& b = back[0];
    EXPECT_EQ(r.category, b.category);
    EXPECT_EQ(r.tab, b.tab);
    EXPECT_EQ(r.name, b.name);
    EXPECT_EQ(r.command, b.command);
    EXPECT_EQ(r.columns, b.columns);
    EXPECT_EQ(r.locationText, b.locationText);
    EXPECT_EQ(r.location.value, b.location.value);
    EXPECT_EQ(report::IdentityOf(r), report::IdentityOf(b));
    EXPECT_EQ(r.target, b.target);
    EXPECT_EQ(r.targetExists, b.targetExists);
    EXPECT_EQ(r.company, b.company);
    EXPECT_EQ(r.mark, b.mark);
    EXPECT_FALSE(report::Compare({r}, back).Any());
}

// ---- --compare ---------------------------------------------------------------------

TEST(ReportCompare, FindsWhatWasAddedRemovedAndChangedAndExitsOneOnlyThen) {
    sim::SimMachine m;
    Populate(m);
    FakeHost host;
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {"--output", "base.json"}));
    EXPECT_EQ("", host.out.text);
    ASSERT_TRUE(host.files.count("base.json"));

    FakeHost same;
    same.files = host.files;
    EXPECT_EQ(report::kExitOk, RunProgram(m, same, {"--compare", "base.json"}));
    EXPECT_EQ("no differences\n", same.out.text);

    m.registry.SetString(kHKCURun, "QmNew", "C:\\qm\\new.exe");
    m.registry.Key(kHKCURun)->EraseValue("Gone");
    m.registry.SetString("HKCU\\Control Panel\\Desktop", "SCRNSAVE.EXE", "C:\\other.scr");
    // The file behind an entry changed, its command did not.
    m.files.Find("C:\\Tools\\Tray.exe")->versionResource.clear();
    FakeHost changed;
    changed.files = host.files;
    EXPECT_EQ(report::kExitDifferent, RunProgram(m, changed, {"--compare", "base.json"}));
    const std::string& text = changed.out.text;
    EXPECT_NE(std::string::npos, text.find("added [hkcu-run] \"QmNew\" \"C:\\qm\\new.exe\"")) << text;
    EXPECT_NE(std::string::npos, text.find("removed [hkcu-run] \"Gone\" \"C:\\missing\\gone.exe\"")) << text;
    EXPECT_NE(std::string::npos, text.find("command: \"C:\\s.scr\" -> \"C:\\other.scr\"")) << text;
    EXPECT_NE(std::string::npos, text.find("company: \"Tray Makers\" -> \"\"")) << text;
    EXPECT_NE(std::string::npos, text.find("4 differences: 1 added, 1 removed, 2 changed")) << text;
    // The tabs' counts changed too: a caption is no part of an entry's identity.
    EXPECT_EQ(std::string::npos, text.find("Userinit")) << text;

    FakeHost json;
    json.files = host.files;
    EXPECT_EQ(report::kExitDifferent, RunProgram(m, json, {"--compare", "base.json", "--format=json"}));
    std::string error;
    const std::optional<JsonValue> doc = ParseJson(json.out.text, error);
    ASSERT_TRUE(doc) << error;
    ASSERT_EQ(1u, doc->Find("added")->items.size());
    EXPECT_EQ("QmNew", doc->Find("added")->items[0].Find("name")->text);
    ASSERT_EQ(1u, doc->Find("removed")->items.size());
    EXPECT_EQ("Gone", doc->Find("removed")->items[0].Find("name")->text);
    ASSERT_EQ(2u, doc->Find("changed")->items.size());
    EXPECT_EQ("C:\\s.scr", doc->Find("changed")->items[1].Find("before")->Find("command")->text);
    EXPECT_EQ("C:\\other.scr", doc->Find("changed")->items[1].Find("after")->Find("command")->text);

    FakeHost csv;
    csv.files = host.files;
    EXPECT_EQ(report::kExitDifferent, RunProgram(m, csv, {"--format", "csv", "--compare", "base.json"}));
    EXPECT_EQ(0u, csv.out.text.find("change,category,"));
    EXPECT_NE(std::string::npos, csv.out.text.find("\r\nadded,hkcu-run,HKCU / Run,QmNew,"));
    EXPECT_NE(std::string::npos, csv.out.text.find("\r\nremoved,hkcu-run,HKCU / Run,Gone,"));
    EXPECT_NE(std::string::npos, csv.out.text.find("\r\nchanged from,screensaver,"));
    EXPECT_NE(std::string::npos, csv.out.text.find("\r\nchanged to,screensaver,"));
}

TEST(Report, AListEntryAndATaskAreLocatedAsTheWindowActsOnThem) {
    sim::SimMachine m;
    Populate(m);
    FakeHost host;
    EXPECT_EQ(report::kExitOk, RunProgram(m, host, {}));
    const std::vector<Record> records = Entries(host.out.text);
    const Record* second = Find(records, "system-hooks", "C:\\hooks\\b.dll");
    ASSERT_TRUE(second) << host.out.text;
    EXPECT_EQ("registry", second->location.type);
    EXPECT_EQ("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", second->location.key);
    EXPECT_EQ("AppInit_DLLs", second->location.value);
    EXPECT_EQ("C:\\hooks\\b.dll", second->location.item);
    const Record* first = Find(records, "system-hooks", "C:\\hooks\\a.dll");
    ASSERT_TRUE(first);
    EXPECT_NE(report::IdentityOf(*first), report::IdentityOf(*second));
    // A debugger is its whole value: no item, the program's key below the options.
    const Record* debugger = Find(records, "system-hooks", "C:\\dbg.exe");
    ASSERT_TRUE(debugger) << host.out.text;
    EXPECT_EQ("notepad.exe", debugger->location.component);
    EXPECT_EQ("Debugger", debugger->location.value);
    EXPECT_EQ("", debugger->location.item);
    const Record* task = Find(records, "tasks", "\\Qm\\Nightly");
    ASSERT_TRUE(task) << host.out.text;
    EXPECT_EQ("task", task->location.type);
    EXPECT_EQ("\\Qm\\Nightly", task->location.task);
    EXPECT_EQ("C:\\windows\\System32\\Tasks\\Qm\\", task->location.folder);
    EXPECT_EQ("Nightly", task->location.file);
    EXPECT_EQ("C:\\task.exe", task->target);

    // One DLL taken out of the list is one entry removed, the other stays the same entry.
    FakeHost base;
    ASSERT_EQ(report::kExitOk, RunProgram(m, base, {"--output", "base.json"}));
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "AppInit_DLLs",
                         "C:\\hooks\\b.dll");
    FakeHost after;
    after.files = base.files;
    EXPECT_EQ(report::kExitDifferent, RunProgram(m, after, {"--compare", "base.json"}));
    EXPECT_NE(std::string::npos, after.out.text.find("removed [system-hooks] \"C:\\hooks\\a.dll\"")) << after.out.text;
    EXPECT_NE(std::string::npos, after.out.text.find("1 difference: 0 added, 1 removed, 0 changed")) << after.out.text;
}

TEST(ReportCompare, IdentityIsCategoryAndTypedLocationNotTheShownTexts) {
    Record a;
    a.category = "hkcu-run";
    a.name = "X";
    a.command = "C:\\x.exe";
    a.location = RegistryAt("K", "X");
    struct Case {
        const char* what;
        std::function<void(Record&)> change;
        int added, removed, changed;
    };
    const Case cases[] = {
        {"caption of the tab", [](Record& r) { r.tab = "HKCU / Run (9)"; }, 0, 0, 0},
        {"shown name", [](Record& r) { r.name = "Y"; }, 0, 0, 0},
        {"command", [](Record& r) { r.command = "C:\\y.exe"; }, 0, 0, 1},
        {"target file appeared", [](Record& r) { r.targetExists = true; }, 0, 0, 1},
        {"version", [](Record& r) { r.version = "2"; }, 0, 0, 1},
        {"description", [](Record& r) { r.description = "new"; }, 0, 0, 1},
        {"value", [](Record& r) { r.location.value = "Y"; }, 1, 1, 0},
        {"view", [](Record& r) { r.location.view = "32"; }, 1, 1, 0},
        {"category", [](Record& r) { r.category = "hkcu-runonce"; }, 1, 1, 0},
        {"entry of a list value", [](Record& r) { r.location.item = "C:\\other.dll"; }, 1, 1, 0},
        {"task path", [](Record& r) { r.location.task = "\\Other"; }, 1, 1, 0},
        // Parts that only read alike when joined are different places.
        {"key and value split elsewhere",
         [](Record& r) {
             r.location.key = "K3:X";
             r.location.value = "";
         },
         1, 1, 0},
    };
    for (const Case& c : cases) {
        Record b = a;
        c.change(b);
        const report::Differences d = report::Compare({a}, {b});
        EXPECT_EQ(c.added, static_cast<int>(d.added.size())) << c.what;
        EXPECT_EQ(c.removed, static_cast<int>(d.removed.size())) << c.what;
        EXPECT_EQ(c.changed, static_cast<int>(d.changed.size())) << c.what;
    }
}

TEST(ReportCompare, TextOutputWritesNoControlCharacterOfAnEntry) {
    Record a;
    a.category = "hkcu-run";
    a.name = "evil\x1b[2Jname";
    a.command =
        "C:\\x.exe\r\x07\xC2\x9B"
        "31m";
    a.location = RegistryAt("K", "evil\x1b[2Jname");
    report::Differences d;
    d.added.push_back(a);
    FakeHost::Output out;
    report::WriteDifferences(d, report::Format::Text, 5, out);
    EXPECT_EQ(std::string::npos, out.text.find('\x1b')) << out.text;
    EXPECT_EQ(std::string::npos, out.text.find('\r')) << out.text;
    EXPECT_EQ(std::string::npos, out.text.find('\x07')) << out.text;
    EXPECT_EQ(std::string::npos, out.text.find("\xC2\x9B")) << out.text;
    EXPECT_NE(std::string::npos, out.text.find("evil\\x1B[2Jname")) << out.text;
}

TEST(ReportCompare, TextOutputShowsEveryFormatCharacterOfAnEntry) {
    Record a;
    a.category = "hkcu-run";
    a.name = "Qm\u202Etxt.exe";  // would draw as "Qmexe.txt"
    a.command = "C:\\\u200Bx\u2066.exe";
    a.location = RegistryAt("K", "Qm\u202Etxt.exe");
    report::Differences d;
    d.added.push_back(a);
    FakeHost::Output out;
    report::WriteDifferences(d, report::Format::Text, 5, out);
    EXPECT_EQ(0u, out.text.find("added [hkcu-run] \"Qm<U+202E>txt.exe\" \"C:\\<U+200B>x<U+2066>.exe\" at "
                                "HKEY_CURRENT_USER\\K \"Qm<U+202E>txt.exe\""))
        << out.text;
    for (const char* hidden : {"\u202E", "\u200B", "\u2066"}) EXPECT_EQ(std::string::npos, out.text.find(hidden));
}

// ---- Baselines of schema 1 ----------------------------------------------------------

// A report that the program wrote when categories were named by their
// lists (schema 1), of the machine SchemaOneMachine makes, over the tabs
// SchemaOneTabs lists.
constexpr const char* kSchemaOneReport = R"json({"schema":1,"program":"quellmark-report","computer":"SIM","entries":[
{"category":"hku","tab":"HKCU / Run","name":"Tray","command":"C:\\tray.exe -q","columns":["Tray","C:\\tray.exe -q","HKEY_CURRENT_USER","HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run","\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"],"location_text":"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run","location":{"type":"registry","root":"HKEY_CURRENT_USER","view":"default","key":"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run","component":"","value":"Tray","item":""},"target":"c:\\tray.exe","target_exists":false,"company":"","description":"","version":"","mark":"","error":""},
{"category":"User","tab":"Startup (user)","name":"t.lnk","command":"C:\\t.exe","columns":["t.lnk","C:\\t.exe","Windows AutoRun","C:\\users\\anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\",""],"location_text":"C:\\users\\anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\","location":{"type":"file","folder":"C:\\users\\anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\","file":"t.lnk"},"target":"c:\\t.exe","target_exists":false,"company":"","description":"","version":"","mark":"","error":""},
{"category":"InstCompo","tab":"Startup (services)","name":"Svc","command":"C:\\svc.exe","columns":["Svc","Service","C:\\svc.exe"],"location_text":"Service","location":{"type":"service","service":"Svc"},"target":"c:\\svc.exe","target_exists":false,"company":"","description":"","version":"","mark":"","error":""},
{"category":"tasks","tab":"Scheduled Tasks","name":"\\Qm\\Nightly","command":"C:\\task.exe","columns":["\\Qm\\Nightly","C:\\task.exe","logon","yes","C:\\task.exe","C:\\windows\\System32\\Tasks\\Qm\\Nightly"],"location_text":"C:\\windows\\System32\\Tasks\\Qm\\","location":{"type":"task","task":"\\Qm\\Nightly","folder":"C:\\windows\\System32\\Tasks\\Qm\\","file":"Nightly"},"target":"C:\\task.exe","target_exists":false,"company":"","description":"","version":"","mark":"","error":""},
{"category":"hooks","tab":"System Hooks","name":"C:\\hooks\\a.dll","command":"C:\\hooks\\a.dll","columns":["C:\\hooks\\a.dll","AppInit DLL (not loaded: LoadAppInit_DLLs is not set)","C:\\hooks\\a.dll","HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows","AppInit_DLLs"],"location_text":"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows","location":{"type":"registry","root":"HKEY_LOCAL_MACHINE","view":"default","key":"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows","component":"","value":"AppInit_DLLs","item":"C:\\hooks\\a.dll"},"target":"C:\\hooks\\a.dll","target_exists":false,"company":"","description":"","version":"","mark":"","error":""}
]}
)json";

// One entry in each kind of location: a Run value, a startup shortcut, a
// service, a task and one DLL of a list value.
void SchemaOneMachine(sim::SimMachine& m) {
    m.registry.SetString(kHKCURun, "Tray", "C:\\tray.exe -q");
    testing::AddUserStartupShortcut(m, "t.lnk", "C:\\t.exe");
    testing::AddRunningService(m, "Svc", "Service", "C:\\svc.exe");
    m.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "AppInit_DLLs",
                         "C:\\hooks\\a.dll");
    testing::AddLogonTask(m, "Qm\\Nightly", "C:\\task.exe");
}

std::vector<Category> SchemaOneTabs() {
    std::vector<Category> tabs;
    for (const Category& category : kCategories)
        for (const char* id : {"hkcu-run", "startup-user", "services-running", "tasks", "system-hooks"})
            if (category.id == std::string(id)) tabs.push_back(category);
    return tabs;
}

TEST(ReportCompare, ASchemaOneBaselineComparesWithTheSameMachineByTodaysCategoryIds) {
    const auto replace = [](std::string text, const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string run = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string startup =
        "C:\\users\\anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\";
    struct Case {
        const char* what;
        std::function<void(sim::SimMachine&)> change;
        std::string baseline;
        int exit;
        std::vector<std::string> lines;  // what the comparison writes
    };
    const Case cases[] = {
        {"nothing changed", [](sim::SimMachine&) {}, kSchemaOneReport, report::kExitOk, {"no differences"}},
        {"a value added",
         [](sim::SimMachine& m) { m.registry.SetString(kHKCURun, "New", "C:\\new.exe"); },
         kSchemaOneReport,
         report::kExitDifferent,
         {"added [hkcu-run] \"New\" \"C:\\new.exe\" at " + run + " \"New\"",
          "1 difference: 1 added, 0 removed, 0 changed"}},
        {"a value removed",
         [](sim::SimMachine& m) { m.registry.Key(kHKCURun)->EraseValue("Tray"); },
         kSchemaOneReport,
         report::kExitDifferent,
         {"removed [hkcu-run] \"Tray\" \"C:\\tray.exe -q\" at " + run + " \"Tray\"",
          "1 difference: 0 added, 1 removed, 0 changed"}},
        {"a command changed",
         [](sim::SimMachine& m) { m.registry.SetString(kHKCURun, "Tray", "C:\\tray.exe -x"); },
         kSchemaOneReport,
         report::kExitDifferent,
         {"changed [hkcu-run] \"Tray\" \"C:\\tray.exe -x\" at " + run + " \"Tray\"",
          "    command: \"C:\\tray.exe -q\" -> \"C:\\tray.exe -x\"", "1 difference: 0 added, 0 removed, 1 changed"}},
        {"a shortcut's target appeared",
         [](sim::SimMachine& m) { m.files.AddFile("C:\\t.exe", sim::SimFile{}); },
         kSchemaOneReport,
         report::kExitDifferent,
         {"changed [startup-user] \"t.lnk\" \"C:\\t.exe\" at " + startup + "t.lnk",
          "    target file: \"missing\" -> \"exists\"", "1 difference: 0 added, 0 removed, 1 changed"}},
        // A name no category of the table had stays the name it was.
        {"a category this program does not have",
         [](sim::SimMachine&) {},
         replace(kSchemaOneReport, "\"InstCompo\"", "\"runservices\""),
         report::kExitDifferent,
         {"added [services-running] \"Svc\" \"C:\\svc.exe\" at service Svc",
          "removed [runservices] \"Svc\" \"C:\\svc.exe\" at service Svc",
          "2 differences: 1 added, 1 removed, 0 changed"}},
    };
    for (const Case& c : cases) {
        sim::SimMachine m;
        SchemaOneMachine(m);
        c.change(m);
        FakeHost host;
        host.files["old.json"] = c.baseline;
        EXPECT_EQ(c.exit, report::RunReport(m.platform, SchemaOneTabs(), {"--compare", "old.json"}, host)) << c.what;
        EXPECT_EQ("", host.err) << c.what;
        std::string expected;
        for (const std::string& line : c.lines) expected += line + "\n";
        EXPECT_EQ(expected, host.out.text) << c.what;
    }

    // Only schema 1 names categories by their lists: in a report of schema
    // 2 a list's name is a category of its own, and each entry of the four
    // categories whose id is not their list's name is one removed and one added.
    sim::SimMachine m;
    SchemaOneMachine(m);
    FakeHost host;
    host.files["old.json"] = replace(kSchemaOneReport, "\"schema\":1", "\"schema\":2");
    EXPECT_EQ(report::kExitDifferent, report::RunReport(m.platform, SchemaOneTabs(), {"--compare", "old.json"}, host));
    EXPECT_NE(std::string::npos, host.out.text.find("removed [hku] \"Tray\"")) << host.out.text;
    EXPECT_NE(std::string::npos, host.out.text.find("added [hkcu-run] \"Tray\"")) << host.out.text;
    EXPECT_NE(std::string::npos, host.out.text.find("\n8 differences: 4 added, 4 removed, 0 changed\n"))
        << host.out.text;
}

TEST(ReportBaseline, EachCategoryOfASchemaOneReportReadsAsTheIdTheSameCategoryHasNow) {
    // What a schema-1 report named each category, and the id it has in schema 2.
    const std::pair<const char*, const char*> renamed[] = {
        {"hku", "hkcu-run"},
        {"LV", "hklm-run"},
        {"comon", "startup-common"},
        {"User", "startup-user"},
        {"runonce", "hkcu-runonce"},
        {"hklmrunonce", "hklm-runonce"},
        {"shellobject", "hklm-shell-service-objects"},
        {"runoncex", "hklm-runonceex"},
        {"InstCompo", "services-running"},
        {"actx", "components"},
        {"logs", "winlogon"},
        {"lorun", "load-run"},
        {"explomac", "hklm-explorer-run"},
        {"explou", "hkcu-explorer-run"},
        {"desktop", "screensaver"},
        {"tasks", "tasks"},
        {"hooks", "system-hooks"},
        {"autoservices", "services-drivers"},
        {"runservices", "runservices"},  // no category has this name
        {"hkcu-run", "hkcu-run"},        // nor this one, in schema 1
    };
    std::string entries;
    for (const auto& [list, id] : renamed)
        entries += std::string(entries.empty() ? "" : ",") + "{\"category\":\"" + list + "\",\"location\":{}}";
    for (const int schema : {1, 2}) {
        std::vector<Record> records;
        std::string error;
        ASSERT_TRUE(report::ReadBaseline("{\"schema\":" + std::to_string(schema) + ",\"entries\":[" + entries + "]}",
                                         records, error))
            << error;
        ASSERT_EQ(std::size(renamed), records.size());
        for (size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(schema == 1 ? renamed[i].second : renamed[i].first, records[i].category) << schema;
    }
    // Every category of the table is in that list: a new one has no schema-1 name to read.
    EXPECT_EQ(std::size(renamed) - 2, std::size(kCategories));
}

// ---- Hostile baselines ----------------------------------------------------------------

TEST(ReportBaseline, RefusesWhatIsNoReportWithAMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "not valid JSON"},
        {"{", "not valid JSON"},
        {"[1,2]", "no schema version"},
        {"{\"entries\":[]}", "no schema version"},
        {"{\"schema\":\"1\",\"entries\":[]}", "no schema version"},
        {"{\"schema\":3,\"entries\":[]}", "schema 3"},
        {"{\"schema\":0,\"entries\":[]}", "schema 0"},
        {"{\"schema\":1}", "\"entries\""},
        {"{\"schema\":1,\"entries\":{}}", "\"entries\""},
        {"{\"schema\":1,\"entries\":[7]}", "entry 1"},
        {"{\"schema\":1,\"entries\":[{\"location\":{\"type\":\"file\"}},{\"name\":5,\"location\":{}}]}",
         "entry 2: \"name\""},
        {"{\"schema\":1,\"entries\":[{\"category\":\"hku\"}]}", "\"location\""},
        {"{\"schema\":1,\"entries\":[{\"columns\":[1],\"location\":{}}]}", "\"columns\""},
        {"{\"schema\":1,\"entries\":[]} x", "text after the document"},
        {"{\"schema\":1,\"entries\":[\"\x01\"]}", "control character"},
        {"{\"schema\":1,\"entries\":[\"\\x\"]}", "unknown escape"},
        {"{\"schema\":1,\"entries\":[\"\\u12\"]}", "hex digit"},
        {"{\"schema\":1,\"entries\":[01]}", "not valid JSON"},
        {"{\"schema\":1,\"entries\":[-]}", "not valid JSON"},
        {"{\"schema\":1,\"entries\":[1.]}", "not valid JSON"},
        {"{\"schema\":1,\"entries\":[tru]}", "unknown word"},
    };
    for (const auto& [text, message] : cases) {
        std::vector<Record> records;
        std::string error;
        EXPECT_FALSE(report::ReadBaseline(text, records, error)) << text;
        EXPECT_NE(std::string::npos, error.find(message)) << text << ": " << error;
        EXPECT_TRUE(records.empty()) << text;
    }
}

TEST(ReportBaseline, LimitsDepthSizeStringsAndValues) {
    std::string error;
    // Nesting far past the limit: refused, not followed down the stack.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(ParseJson(deep, error));
    EXPECT_NE(std::string::npos, error.find("nesting")) << error;
    const std::string deepObjects = [] {
        std::string s;
        for (int i = 0; i < 50000; ++i) s += "{\"a\":";
        return s + "1" + std::string(50000, '}');
    }();
    EXPECT_FALSE(ParseJson(deepObjects, error));
    EXPECT_NE(std::string::npos, error.find("nesting")) << error;
    // Within the limit: read.
    EXPECT_TRUE(ParseJson(std::string(32, '[') + std::string(32, ']'), error)) << error;
    EXPECT_FALSE(ParseJson(std::string(33, '[') + std::string(33, ']'), error));

    JsonLimits small;
    small.maxBytes = 100;
    small.maxStringBytes = 10;
    small.maxValues = 5;
    EXPECT_FALSE(ParseJson(std::string(101, ' ') + "1", error, small));
    EXPECT_NE(std::string::npos, error.find("larger")) << error;
    EXPECT_FALSE(ParseJson("\"" + std::string(20, 'a') + "\"", error, small));
    EXPECT_NE(std::string::npos, error.find("string longer")) << error;
    EXPECT_FALSE(ParseJson("[1,2,3,4,5,6]", error, small));
    EXPECT_NE(std::string::npos, error.find("more values")) << error;
    EXPECT_TRUE(ParseJson("[1,2,3,4]", error, small)) << error;

    // Escapes: pairs join, lone surrogates become U+FFFD.
    const std::optional<JsonValue> s = ParseJson("\"\\ud83d\\ude00 \\ud800 \\udc00x \\u0416\"", error);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ("\xF0\x9F\x98\x80 \xEF\xBF\xBD \xEF\xBF\xBDx \xD0\x96", s->text);
}

TEST(ReportBaseline, EveryCutAndEveryByteChangeOfAReportIsReadOrRefusedNeverACrash) {
    sim::SimMachine m;
    m.registry.SetString(kHKCURun, "Quote\"Back\\slash", "\"C:\\a b\\c.exe\" \xD0\x96");
    FakeHost host;
    ASSERT_EQ(report::kExitOk, RunProgram(m, host, {}));
    const std::string document = host.out.text;
    ASSERT_LT(3000u, document.size());
    std::vector<Record> records;
    std::string error;
    ASSERT_TRUE(report::ReadBaseline(document, records, error)) << error;
    // Every cut before the document's last brace, the first entries' bytes one by one.
    const size_t end = document.find_last_of('}');
    for (size_t cut = 0; cut < end; cut += cut < 1500 ? 1 : 17)
        EXPECT_FALSE(report::ReadBaseline(document.substr(0, cut), records, error)) << cut;
    const char replacements[] = {'"', '\\', '{', '[', ']', '}', ',', ':', '\0', '\x80', 'u', '0'};
    for (size_t i = 0; i < document.size(); i += i < 1500 ? 1 : 17) {
        std::string damaged = document;
        damaged[i] = replacements[i % sizeof(replacements)];
        report::ReadBaseline(damaged, records, error);  // read or refused: both fine, under the sanitizers
    }
}

// ---- The command line and the exit codes -------------------------------------------------

TEST(ReportCommandLine, BadUsageIsExit64WithAMessageOnStandardErrorAndNothingRead) {
    const std::vector<std::vector<std::string>> cases = {
        {"--format", "xml"},
        {"--format"},
        {"--format", "text"},  // text is for comparisons only
        {"--format", "csv", "--format", "json"},
        {"--output"},
        {"--output", ""},
        {"--output", "a", "--output", "b"},
        {"--compare"},
        {"--bogus"},
        {"-x"},
        {"stray"},
        {"--help=yes"},
        {"--csv-raw"},  // for CSV only
        {"--compare", "b.json", "--csv-raw"},
        {"--format", "csv", "--csv-raw=yes"},
    };
    for (const std::vector<std::string>& arguments : cases) {
        sim::SimMachine m;
        FakeHost host;
        EXPECT_EQ(report::kExitUsage, RunProgram(m, host, arguments)) << arguments[0];
        EXPECT_EQ("", host.out.text) << arguments[0];
        EXPECT_EQ(0u, host.err.find("quellmark-report: ")) << host.err;
        EXPECT_NE(std::string::npos, host.err.find("--help")) << host.err;
        EXPECT_EQ(0, m.registry.OpenCalls()) << arguments[0];
    }
    std::string error;
    const std::optional<report::Options> options =
        report::ParseArguments({"--format=csv", "--output=C:\\out dir\\r.csv"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(report::Format::Csv, options->format);
    EXPECT_EQ("C:\\out dir\\r.csv", options->output.value_or(""));
    EXPECT_EQ(report::Format::Text, report::ParseArguments({"--compare", "b.json"}, error)->format);
    EXPECT_EQ(report::Format::Json, report::ParseArguments({}, error)->format);
}

// Where Windows cannot keep DLL loads out of the program's folder, the
// report reads and writes nothing, whatever it was asked.
TEST(ReportCommandLine, WhereTheDllSearchCannotBeKeptToSystem32ItSaysWhyAndExits69) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"--format", "csv"}, {"--output", "r.json"}, {"--compare", "base.json"}, {"--help"}, {"--bogus"}};
    for (const std::vector<std::string>& arguments : cases) {
        sim::SimMachine m;
        m.system.dllSearchRestricted = false;
        FakeHost host;
        host.files["base.json"] = "{\"schema\":2,\"entries\":[]}";
        const std::string what = arguments.empty() ? "(none)" : arguments[0];
        EXPECT_EQ(report::kExitUnsafeSystem, RunProgram(m, host, arguments)) << what;
        EXPECT_EQ(0u, host.err.find("quellmark-report: This version of Windows cannot keep")) << host.err;
        EXPECT_NE(std::string::npos, host.err.find("SetDefaultDllDirectories")) << host.err;
        EXPECT_EQ("", host.out.text) << what;
        EXPECT_EQ(1u, host.files.size()) << what;
        EXPECT_EQ(0, m.registry.OpenCalls()) << what;
    }
}

TEST(ReportCommandLine, HelpAndVersionFromTheProgramsOwnVersionResource) {
    sim::SimMachine m;
    sim::VersionFixture v;
    v.fixed = sim::FixedFileFixture{};
    v.fixed->fileVersionMS = (3u << 16) | 1u;
    v.fixed->fileVersionLS = (4u << 16) | 15u;
    v.translations = {{0x0409, 1252}};
    v.stringTables = {{"040904E4", {{"ProductVersion", "3.1"}}}};
    sim::SimFile self;
    self.versionResource = sim::BuildVersionResource(v);
    m.files.AddFile(m.system.modulePath, self);
    FakeHost version;
    EXPECT_EQ(report::kExitOk, RunProgram(m, version, {"--version"}));
    EXPECT_EQ("quellmark-report 3.1 (Build 3.1.4.15)\n", version.out.text);
    FakeHost help;
    EXPECT_EQ(report::kExitOk, RunProgram(m, help, {"--help"}));
    EXPECT_EQ(0u, help.out.text.find("Usage: quellmark-report"));
    EXPECT_EQ(0, m.registry.OpenCalls());
}

TEST(ReportCommandLine, BaselineAndOutputFailuresHaveCodesOfTheirOwn) {
    sim::SimMachine m;
    Populate(m);
    FakeHost missing;
    EXPECT_EQ(report::kExitNoBaseline, RunProgram(m, missing, {"--compare", "none.json"}));
    EXPECT_NE(std::string::npos, missing.err.find("cannot read the baseline none.json")) << missing.err;
    FakeHost bad;
    bad.files["bad.json"] = "{\"schema\":1,\"entries\":[";
    EXPECT_EQ(report::kExitBadBaseline, RunProgram(m, bad, {"--compare", "bad.json"}));
    EXPECT_NE(std::string::npos, bad.err.find("bad.json is no baseline")) << bad.err;
    EXPECT_EQ("", bad.out.text);
    EXPECT_EQ(0, m.registry.OpenCalls());  // nothing read for a comparison that cannot be made

    FakeHost locked;
    locked.files["out.csv"] = "old";
    locked.commitFails = true;
    EXPECT_EQ(report::kExitCannotWrite, RunProgram(m, locked, {"--format", "csv", "--output", "out.csv"}));
    EXPECT_EQ("old", locked.files["out.csv"]);
    EXPECT_EQ("", locked.out.text);
    EXPECT_NE(std::string::npos, locked.err.find("cannot write out.csv: Access denied")) << locked.err;
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// --changes lists the journal, newest first, a damaged record as damaged;
// it changes nothing, and a journal someone else could change is not read.
TEST(ReportChanges, TheJournalIsListedWithItsDamagedRecords) {
    sim::SimMachine m;
    Journal journal(m.platform);
    ChangeRecord older{.time = 133000000000000000ull,
                       .kind = ChangeKind::DeletedValue,
                       .category = "hkcu-run",
                       .entry = "Tool",
                       .where = "HKEY_CURRENT_USER\\Run"};
    older.value = KeptValue{.name = "Tool", .before = RegValue{kRegSz, {'x', 0}}};
    ChangeRecord newer = older;
    newer.time += 10'000'000;
    newer.entry = "=cmd|' /C calc'!A0";
    std::string file, why;
    ASSERT_TRUE(journal.Write(older, file, why)) << why;
    ASSERT_TRUE(journal.Write(newer, file, why)) << why;
    m.files.AddFile("C:\\ProgramData\\Quellmark\\Changes\\20990101-000000-0000000-00.json").content = "{\"format\":";
    const std::string registryBefore = m.registry.Snapshot();

    FakeHost json;
    EXPECT_EQ(report::kExitPartial, RunProgram(m, json, {"--changes"})) << json.err;
    std::string error;
    const std::optional<JsonValue> doc = ParseJson(json.out.text, error);
    ASSERT_TRUE(doc) << error << json.out.text;
    const JsonValue* changes = doc->Find("changes");
    ASSERT_TRUE(changes);
    ASSERT_EQ(3u, changes->items.size());
    EXPECT_EQ("damaged", changes->items[0].Find("state")->text);
    EXPECT_NE("", changes->items[0].Find("damage")->text);
    EXPECT_EQ(newer.entry, changes->items[1].Find("entry")->text);
    EXPECT_EQ("deleted-value", changes->items[2].Find("kind")->text);
    EXPECT_EQ("2022-06-18T04:26:40Z", changes->items[2].Find("time")->text);
    EXPECT_EQ("C:\\ProgramData\\Quellmark\\Changes\\", doc->Find("journal")->text);

    FakeHost csv;
    EXPECT_EQ(report::kExitPartial, RunProgram(m, csv, {"--changes", "--format", "csv"}));
    EXPECT_EQ(0u, csv.out.text.find("file,state,time,kind,done,category,entry,where,damage\r\n"));
    EXPECT_NE(std::string::npos, csv.out.text.find(",'=cmd|' /C calc'!A0,")) << csv.out.text;  // no formula
    EXPECT_EQ(registryBefore, m.registry.Snapshot());

    m.files.FindFolder("C:\\ProgramData\\Quellmark\\Changes")->security.owner = Trustee::Other;
    FakeHost refused;
    EXPECT_EQ(report::kExitNoBaseline, RunProgram(m, refused, {"--changes"}));
    EXPECT_NE(std::string::npos, refused.err.find("not safe")) << refused.err;
    EXPECT_EQ("", refused.out.text);

    FakeHost both;
    EXPECT_EQ(report::kExitUsage, RunProgram(m, both, {"--changes", "--compare", "old.json"}));
}

TEST(ReportChanges, AJournalNeverWrittenIsAnEmptyList) {
    sim::SimMachine m;
    FakeHost host;
    EXPECT_EQ(report::kExitOk, RunProgram(m, host, {"--changes"})) << host.err;
    EXPECT_EQ("{\"journal\":\"C:\\\\ProgramData\\\\Quellmark\\\\Changes\\\\\",\"changes\":[\n]}\n", host.out.text);
    EXPECT_FALSE(m.files.FolderExists("C:\\ProgramData\\Quellmark"));
}

}  // namespace
}  // namespace qm
