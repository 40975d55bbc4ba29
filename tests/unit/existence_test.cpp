// Whether a report's targets exist: answered from one listing of a folder
// that many targets pass through, or by asking about the target itself. The
// listings only ever tell that a target is absent, and only for a path the
// system looks up as it lists it; every answer is the one the direct call
// gives.
#include <gtest/gtest.h>

#include "core/categories/table.h"
#include "platform/sim/sim.h"
#include "report/command_line.h"
#include "report/existence.h"
#include "report/run.h"

namespace qm {
namespace {

using report::ExistenceCache;

constexpr int kVisits = ExistenceCache::kVisitsBeforeListing;
constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

int AttributeCalls(const sim::SimMachine& m) { return static_cast<int>(m.files.reached.size()); }

TEST(TargetExistence, ListingsAndTheDirectCallAgreeAndListingsAnswerOnlyPlainPaths) {
    sim::SimMachine m;
    m.Make64Bit();  // a 32-bit program: System32 is SysWOW64 to it, and the real one Sysnative
    m.files.AddFile("C:\\Apps\\Tool.exe");
    m.files.AddFile("C:\\Apps\\Sub\\deep.exe");
    m.files.AddFile("C:\\Apps\\plain.txt");
    m.files.AddFile("C:\\Apps\\\u0416\u0443\u043A.exe");  // "Жук.exe", seven UTF-16 units
    m.files.AddFile("C:\\Refused\\in.exe");
    m.files.unlistable.insert("c:\\refused");
    m.files.AddFile("C:\\windows\\System32\\sys.exe");
    m.files.AddFolderLink("C:\\Link", "C:\\Apps");
    NativePaths native(m.platform);
    ExistenceCache cache(m.files, native);
    // The folders on the way are listed at their eighth visit: before that,
    // and in a folder that refuses listing, the Windows folder and a link,
    // each target is asked about.
    for (int i = 0; i < 3 * kVisits; ++i) EXPECT_FALSE(cache.Exists("C:\\Apps\\Sub\\primer.exe"));
    for (int i = 0; i < kVisits; ++i) {
        EXPECT_FALSE(cache.Exists("C:\\Refused\\primer.exe"));
        EXPECT_FALSE(cache.Exists("C:\\windows\\primer.exe"));
        EXPECT_FALSE(cache.Exists("C:\\Link\\primer.exe"));
    }
    EXPECT_EQ((std::vector<std::string>{"c:\\", "c:\\apps\\", "c:\\apps\\sub\\", "c:\\refused\\"}), m.files.listed);
    EXPECT_EQ(3 * kVisits - 3 + 3 * kVisits, AttributeCalls(m));

    const std::string longPath = "C:\\Apps\\" + std::string(260 - 8, 'x');
    struct Case {
        std::string path;
        bool fromListing;  // absent, and told so by a listing without a call
    } cases[] = {
        {"C:\\Apps\\Tool.exe", false},
        {"c:\\APPS\\TOOL.EXE", false},  // other letter case
        {"C:\\Apps\\missing.exe", true},
        {"C:\\Apps\\Gone\\x.exe", true},  // a parent folder that is not there
        {"C:\\Gone\\Deeper\\x.exe", true},
        {"C:\\missing.exe", true},
        {"C:\\apps\\sub\\DEEP.exe", false},
        {"C:\\Apps\\Sub\\none.exe", true},
        {"C:\\Apps\\Sub", false},               // the folder itself
        {"C:\\Apps\\plain.txt\\x.exe", false},  // a file where a folder is expected
        {"C:\\Apps\\Tool.exe.", false},         // trailing dot and space: the system drops them
        {"C:\\Apps\\Tool.exe ", false},
        {"C:\\Apps\\Gone.\\x.exe", false},
        {"C:\\Apps\\NUL.txt", false},  // device names, in any folder
        {"C:\\Apps\\con", false},
        {"C:\\Apps\\Com1 .log", false},
        {"C:\\Apps\\LPT9", false},
        {"C:\\Apps\\CONOUT$", false},
        {"C:\\Apps\\*.exe", false},  // wildcards, a stream, an 8.3 name
        {"C:\\Apps\\T?ol.exe", false},
        {"C:\\Apps\\Tool.exe:stream", false},
        {"C:\\Apps\\TOOL~1.EXE", false},
        {"C:\\Apps/Tool.exe", false},  // another separator, empty and relative names
        {"C:\\Apps\\\\Tool.exe", false},
        {"C:\\Apps\\.\\Tool.exe", false},
        {"C:\\Apps\\..\\Apps\\Tool.exe", false},
        {"C:\\Apps\\Tab\there.exe", false},
        {longPath, false},
        {"C:\\windows\\System32\\sys.exe", false},   // the Windows folder, in any case
        {"C:\\windows\\Sysnative\\sys.exe", false},  // no folder of that name is listed
        {"C:\\WINDOWS\\gone.exe", false},
        {"C:\\Apps\\Abc.exe", false},  // as long as "Жук.exe": the system's case rules may match them
        {"C:\\Apps\\Abcd.exe", true},
        {"C:\\Apps\\\u0416\u0443\u043A.exe", false},  // a name beyond ASCII is asked about
        {"C:\\Apps\\\u0436\u0443\u043A.exe", false},
        {"C:\\Refused\\in.exe", false},  // a folder that refuses listing
        {"C:\\Refused\\out.exe", false},
        {"C:\\Link\\Tool.exe", false},  // a link is not looked into
        {"C:\\Link\\none.exe", false},
    };
    for (const Case& c : cases) {
        const int before = AttributeCalls(m);
        const bool cached = cache.Exists(c.path);
        const bool asked = AttributeCalls(m) > before;
        const bool direct = m.files.GetFileAttributes(c.path) != kInvalidFileAttributes;
        EXPECT_EQ(direct, cached) << c.path;
        EXPECT_EQ(c.fromListing, !asked) << c.path;
    }
    // Nothing more was listed, and C:\Refused was not asked again.
    EXPECT_EQ(4u, m.files.listed.size());
}

// A folder holding more entries than a listing keeps, and a machine whose
// Windows folder is not known as it is named: every target is asked about,
// and the large folder is tried once.
TEST(TargetExistence, WhatCannotBeListedIsAskedAboutTargetByTarget) {
    sim::SimMachine m;
    for (size_t i = 0; i <= ExistenceCache::kMaxListing; ++i) m.files.AddFile("C:\\Big\\f" + std::to_string(i));
    NativePaths native(m.platform);
    ExistenceCache cache(m.files, native);
    for (int i = 0; i < 3 * kVisits; ++i) EXPECT_FALSE(cache.Exists("C:\\Big\\none" + std::to_string(i)));
    EXPECT_EQ((std::vector<std::string>{"c:\\", "c:\\big\\"}), m.files.listed);
    EXPECT_EQ(3 * kVisits, AttributeCalls(m));

    // The Windows folder unknown, or known by its 8.3 name only (which a
    // target need not use): nothing is listed.
    for (const bool fails : {true, false}) {
        sim::SimMachine other;
        other.system.windowsDirectoryFails = fails;
        other.system.windowsDirectory = "C:\\WINDOW~1";
        NativePaths nowhere(other.platform);
        ExistenceCache blind(other.files, nowhere);
        for (int i = 0; i < 2 * kVisits; ++i) EXPECT_FALSE(blind.Exists("C:\\none.exe"));
        EXPECT_TRUE(other.files.listed.empty()) << fails;
        EXPECT_EQ(2 * kVisits, AttributeCalls(other)) << fails;
    }
}

struct Output : report::IOutput {
    std::string text;
    void Write(std::string_view bytes) override { text.append(bytes); }
};

class Host : public report::IReportHost {
public:
    report::IOutput& StandardOutput() override { return out; }
    bool StandardOutputOk() override { return true; }
    void StandardError(std::string_view text) override { err.append(text); }
    bool ReadFile(const std::string&, size_t, std::string&, std::string&) override { return false; }
    std::unique_ptr<report::IOutputFile> CreateOutputFile(const std::string&, std::string&) override { return nullptr; }
    Output out;
    std::string err;
};

// The report of many entries naming programs in folders that are gone asks
// about a few of them and lists the two folders on the way; its answers are
// the direct calls' all the same. A report of a handful lists nothing.
TEST(TargetExistence, AReportOfManyMissingTargetsListsTheirFoldersInsteadOfAskingEach) {
    const auto report = [](sim::SimMachine& m) {
        Host host;
        EXPECT_EQ(report::kExitOk, report::RunReport(m.platform, kCategories, {"--format", "csv"}, host)) << host.err;
        return host.out.text;
    };
    const auto fill = [](sim::SimMachine& m, int count) {
        m.files.AddFile("C:\\Program Files\\App7\\app.exe");
        m.files.AddFile("C:\\Program Files\\App9\\APP.EXE");
        for (int i = 0; i < count; ++i)
            m.registry.SetString(kHKCURun, "Value" + std::to_string(i),
                                 "\"C:\\Program Files\\App" + std::to_string(i) + "\\app.exe\" -min");
    };
    sim::SimMachine many;
    fill(many, 200);
    const std::string listed = report(many);
    EXPECT_EQ((std::vector<std::string>{"c:\\", "c:\\program files\\"}), many.files.listed);
    int runKeyCalls = 0;
    for (const std::string& path : many.files.reached) runKeyCalls += path.find("\\app.exe") != std::string::npos;
    EXPECT_GE(2 * kVisits + 2, runKeyCalls);  // the visits before each listing, and the two that exist
    // The same report with every target asked about.
    sim::SimMachine asked;
    fill(asked, 200);
    asked.files.unlistable = {"c:"};
    EXPECT_EQ(report(asked), listed);
    EXPECT_NE(std::string::npos, listed.find("c:\\program files\\app7\\app.exe,yes")) << listed;
    EXPECT_NE(std::string::npos, listed.find("c:\\program files\\app9\\app.exe,yes")) << listed;
    EXPECT_NE(std::string::npos, listed.find("c:\\program files\\app8\\app.exe,no")) << listed;

    sim::SimMachine few;
    fill(few, kVisits - 1);
    report(few);
    EXPECT_TRUE(few.files.listed.empty());
}

}  // namespace
}  // namespace qm
