// The About dialog on the simulated machine: the build text from the
// program's own version resource, the year read when the dialog is made,
// one new dialog per press, and the web-address link.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "forms/about_form.h"
#include "forms/main_form.h"
#include "platform/sim/version_block.h"
#include "ui/sim/sim_desktop.h"

namespace qm {
namespace {

sim::VersionFixture Version(std::uint32_t ms, std::uint32_t ls, const char* productVersion = nullptr) {
    sim::VersionFixture v;
    v.fixed = sim::FixedFileFixture{};
    v.fixed->fileVersionMS = ms;
    v.fixed->fileVersionLS = ls;
    if (productVersion) {
        v.translations = {{0x0409, 1252}};
        v.stringTables = {{"040904E4", {{"FileVersion", "9.9"}, {"ProductVersion", productVersion}}}};
    }
    return v;
}

void GiveVersion(sim::SimDesktop& m, const sim::VersionFixture& v) {
    sim::SimFile file;
    file.versionResource = sim::BuildVersionResource(v);
    m.files.AddFile(m.system.modulePath, file);
}

TEST(GetFileVersionText, FormatsTheFourPartFileVersion) {
    struct Case {
        std::uint32_t ms, ls;
        const char* text;
    } cases[] = {
        {2u << 16 | 10u, 3u << 16 | 4u, "2.10.3.4"},
        {0, 0, "0.0.0.0"},
        {0xFFFFFFFFu, 0xFFFF0000u, "65535.65535.65535.0"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        GiveVersion(m, Version(c.ms, c.ls));
        std::string text = "stale";
        EXPECT_TRUE(GetFileVersionText(m.versions, m.system.modulePath, text)) << c.text;
        EXPECT_EQ(c.text, text);
    }
}

TEST(GetFileVersionText, IsFalseAndEmptyWithoutAReadableRootBlock) {
    sim::SimDesktop none;  // the executable has no version resource
    none.files.AddFile(none.system.modulePath);
    sim::SimDesktop missing;  // no such file at all
    sim::SimDesktop unreadable;
    GiveVersion(unreadable, Version(1, 2));
    unreadable.versions.failReads = true;
    sim::SimDesktop noRoot;  // a resource whose root block holds no fixed information
    sim::VersionFixture v = Version(1, 2, "1.0");
    v.fixed.reset();
    GiveVersion(noRoot, v);
    for (sim::SimDesktop* m : {&none, &missing, &unreadable, &noRoot}) {
        std::string text = "stale";
        EXPECT_FALSE(GetFileVersionText(m->versions, m->system.modulePath, text));
        EXPECT_EQ("", text);
    }
}

TEST(AboutDialog, ShowsTitleNameVersionBuildAndYear) {
    struct Case {
        const char* label;
        std::optional<sim::VersionFixture> version;
        const char* versionText;
    } cases[] = {
        {"product and file version", Version(1u << 16, 1, "1.0"), "Version 1.0 (Build 1.0.0.1)"},
        {"no string table", Version(2u << 16 | 10u, 3u << 16 | 4u), "Version  (Build 2.10.3.4)"},
        {"no version resource", std::nullopt, "Version  (Build )"},
    };
    for (const Case& c : cases) {
        sim::SimDesktop m;
        if (c.version) GiveVersion(m, *c.version);
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        std::vector<std::string> seen;
        m.toolkit.onAbout = [&](AboutDialog& d) {
            seen = {d.Caption, d.nameText, d.versionText, d.copyrightText, d.linkText};
            d.OkClick();
        };
        form.ShowAbout();
        EXPECT_EQ(
            (std::vector<std::string>{"About Quellmark", "Quellmark", c.versionText,
                                      "Copyright (C) 2026 The Quellmark developers", "github.com/quellmark/quellmark"}),
            seen)
            << c.label;
        EXPECT_TRUE(m.user.shown.empty()) << c.label;
    }
}

TEST(AboutDialog, EveryPressMakesANewDialogThatReadsTheYearAndVersionAgain) {
    sim::SimDesktop m;
    GiveVersion(m, Version(1u << 16, 1, "1.0"));
    m.system.year = 2026;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    std::vector<std::string> copyrights, versions;
    m.toolkit.onAbout = [&](AboutDialog& d) {
        EXPECT_FALSE(d.Closed);  // not the dialog closed by the last press
        copyrights.push_back(d.copyrightText);
        versions.push_back(d.versionText);
        d.OkClick();
    };
    form.ShowAbout();
    m.system.year = 2027;  // the clock passes into a new year while the program runs
    GiveVersion(m, Version(1u << 16 | 2u, 0, "1.2"));
    form.ShowAbout();
    m.system.year = 2031;
    form.ShowAbout();
    EXPECT_EQ(3, m.toolkit.aboutShown);
    EXPECT_EQ((std::vector<std::string>{"Copyright (C) 2026 The Quellmark developers",
                                        "Copyright (C) 2026-2027 The Quellmark developers",
                                        "Copyright (C) 2026-2031 The Quellmark developers"}),
              copyrights);
    EXPECT_EQ("Version 1.0 (Build 1.0.0.1)", versions[0]);
    EXPECT_EQ("Version 1.2 (Build 1.2.0.0)", versions[1]);
}

TEST(AboutDialog, CopyrightYearsNeverRunBackwards) {
    EXPECT_EQ("2026", CopyrightYears(2026));
    EXPECT_EQ("2026", CopyrightYears(2019));  // a clock set back
    EXPECT_EQ("2026-2100", CopyrightYears(2100));
}

TEST(AboutDialog, TheLinkOpensTheWebAddressOnlyThroughTheDesktopShell) {
    // The desktop's shell starts the browser with the user's own rights;
    // where it offers no way, nothing is started (the elevated program would
    // follow the user's own class registrations) and the dialog says so.
    for (bool desktop : {true, false}) {
        sim::SimDesktop m;
        m.shell.desktopShellAvailable = desktop;
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        std::string shown;
        m.toolkit.onAbout = [&](AboutDialog& d) {
            shown = d.linkText;
            d.OpenWebAddress();
            EXPECT_FALSE(d.Closed);  // the dialog stays open
            d.OkClick();
        };
        form.ShowAbout();
        if (!desktop) {
            EXPECT_TRUE(m.shell.executions.empty());
            ASSERT_EQ(1u, m.user.shown.size());
            EXPECT_EQ(DialogKind::Information, m.user.shown[0].kind);
            EXPECT_EQ("About Quellmark", m.user.shown[0].title);
            EXPECT_NE(std::string::npos, m.user.shown[0].text.find(" https://" + shown + " "));
            continue;
        }
        ASSERT_EQ(1u, m.shell.executions.size());
        const auto& e = m.shell.executions[0];
        EXPECT_EQ(sim::SimShell::Route::Desktop, e.route);
        EXPECT_EQ(ShellOwner::None, e.owner);
        EXPECT_EQ("", e.operation);             // no verb: the default action
        EXPECT_EQ("https://" + shown, e.file);  // the link goes where it says
        EXPECT_EQ("", e.parameters);
        EXPECT_EQ("", e.directory);
        EXPECT_EQ(1, e.show);
        EXPECT_TRUE(m.user.shown.empty());
    }
}

TEST(AboutDialog, AFailureWhileShownIsReportedAndTheNextPressWorks) {
    sim::SimDesktop m;
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    m.toolkit.onAbout = [](AboutDialog&) { throw QuellmarkError("Out of system resources"); };
    form.ShowAbout();
    ASSERT_EQ(1u, m.user.shown.size());
    EXPECT_EQ("Out of system resources.", m.user.shown[0].text);
    EXPECT_EQ("Quellmark", m.user.shown[0].title);
    m.toolkit.onAbout = [](AboutDialog& d) { d.OkClick(); };
    form.ShowAbout();
    EXPECT_EQ(2, m.toolkit.aboutShown);
    EXPECT_EQ(1u, m.user.shown.size());
}

}  // namespace
}  // namespace qm
