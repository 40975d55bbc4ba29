// The file search, special folders and shortcut resolution that the startup
// folder tabs stand on, the same on every machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "contract/env.h"
#include "contract/env_files.h"
#include "core/collectors/collector.h"
#include "core/errors.h"
#include "core/model/icons.h"
#include "core/model/rows.h"
#include "core/model/text.h"
#include "platform/owner.h"
#include "platform/text_case.h"

namespace qm {
namespace {

using contract::Machine;

constexpr std::uint32_t kStartupSearch = 0x2F;  // every classic attribute but the directory bit

class StartupFilesContract : public ::testing::Test {
protected:
    void SetUp() override {
        comWasOn_ = contract::ComIsOn();
        contract::UseCom(true);
        folder_ = contract::PrepareScratchFolder();
    }
    void TearDown() override {
        contract::RemoveScratchFolder();
        contract::UseCom(comWasOn_);  // later tests find the thread as it was
    }
    std::string In(const std::string& name) const { return folder_ + "\\" + name; }
    std::vector<std::string> Search(const std::string& mask, std::uint32_t attributes = kStartupSearch) {
        std::vector<FoundFile> found;
        Machine().files.FindFiles(In(mask), attributes, found);
        std::vector<std::string> names;
        for (const FoundFile& f : found)
            if (f.name != "." && f.name != "..") names.push_back(f.name);
        // The order is the file system's own: NTFS sorts, Wine does not.
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string folder_;
    bool comWasOn_ = false;
};

TEST_F(StartupFilesContract, ShortcutsResolveToTheTargetTheyStoreAsTheyStoreIt) {
    const std::string targets[] = {
        contract::ExistingProgram(),
        "C:\\Quellmark Missing\\Mixed Case\\Tool.EXE",  // a target that does not exist still resolves
    };
    int n = 0;
    for (const std::string& target : targets) {
        const std::string link = In("link" + std::to_string(n++) + ".lnk");
        contract::PutShortcut(link, target, kFileAttributeArchive);
        EXPECT_EQ(target, ResolveShortcut(Machine(), link)) << target;
    }
    // Hidden and read-only shortcuts load all the same.
    contract::PutShortcut(In("hidden.lnk"), contract::ExistingProgram(), kFileAttributeHidden | kFileAttributeReadonly);
    EXPECT_EQ(contract::ExistingProgram(), ResolveShortcut(Machine(), In("hidden.lnk")));
}

TEST_F(StartupFilesContract, FilesThatAreNoShortcutsResolveToEmptyText) {
    contract::PutPlainFile(In("app.exe"), "MZ not really a program", kFileAttributeArchive);
    contract::PutPlainFile(In("damaged.lnk"), "this is not a shell link", kFileAttributeArchive);
    contract::PutPlainFile(In("empty.lnk"), "", kFileAttributeArchive);
    for (const char* name : {"app.exe", "damaged.lnk", "empty.lnk", "missing.lnk"})
        EXPECT_EQ("", ResolveShortcut(Machine(), In(name))) << name;
}

TEST_F(StartupFilesContract, WithoutComTheShellLinkObjectCannotBeMadeAndThatIsRaised) {
    contract::PutShortcut(In("a.lnk"), contract::ExistingProgram(), kFileAttributeArchive);
    contract::UseCom(false);
    try {
        ResolveShortcut(Machine(), In("a.lnk"));
        ADD_FAILURE() << "no failure raised";
    } catch (const QuellmarkError& e) {
        // Windows has a text for CO_E_NOTINITIALIZED; Wine's message table does
        // not, so the error shows its code there.
        const char* expected = contract::IsWine() ? "0x800401F0" : "CoInitialize has not been called";
        EXPECT_NE(std::string::npos, std::string(e.what()).find(expected)) << e.what();
    }
}

TEST_F(StartupFilesContract, TheStartupMasksMatchAnyNameContainingTheExtensionAndNoFolders) {
    for (const char* name : {"a.exe", "b.lnk", "tool.exe.lnk", "Upper.LNK", "notes.txt", "lnk.txt", "app.exe.bak"})
        contract::PutPlainFile(In(name), "x", kFileAttributeArchive);
    contract::PutPlainFile(In("desktop.ini"), "[.ShellClassInfo]", kFileAttributeHidden | kFileAttributeSystem);
    contract::PutPlainFile(In("hidden.lnk"), "x", kFileAttributeHidden);
    contract::PutPlainFile(In("system.lnk"), "x", kFileAttributeSystem);
    contract::PutPlainFile(In("readonly.exe"), "x", kFileAttributeReadonly);
    contract::MakeFolder(In("folder.lnk"));
    contract::PutPlainFile(In("folder.lnk\\inner.lnk"), "x", kFileAttributeArchive);

    EXPECT_EQ((std::vector<std::string>{"Upper.LNK", "b.lnk", "hidden.lnk", "system.lnk", "tool.exe.lnk"}),
              Search("*.lnk*"));
    EXPECT_EQ((std::vector<std::string>{"a.exe", "app.exe.bak", "readonly.exe", "tool.exe.lnk"}), Search("*.exe*"));
    // With the directory bit the folder is found too; its contents never are.
    const std::vector<std::string> withFolders = Search("*.lnk*", 0x3F);
    EXPECT_NE(withFolders.end(), std::find(withFolders.begin(), withFolders.end(), "folder.lnk"));
    EXPECT_EQ(withFolders.end(), std::find(withFolders.begin(), withFolders.end(), "inner.lnk"));
    EXPECT_TRUE(Search("*.scr*").empty());
}

// What a deletion tells: done, or gone already (the file, or its folder), or
// still there (read-only).
TEST_F(StartupFilesContract, DeleteFileTellsAFileThatIsGoneFromOneThatStays) {
    IFiles& files = Machine().files;
    contract::PutPlainFile(In("a.lnk"), "x", kFileAttributeArchive);
    contract::PutPlainFile(In("locked.lnk"), "x", kFileAttributeReadonly);
    EXPECT_EQ(kErrorSuccess, files.DeleteFile(In("a.lnk")));
    EXPECT_EQ(kErrorFileNotFound, files.DeleteFile(In("a.lnk")));
    EXPECT_EQ(kErrorPathNotFound, files.DeleteFile(In("no-folder\\a.lnk")));
    EXPECT_EQ(kErrorAccessDenied, files.DeleteFile(In("locked.lnk")));
    EXPECT_EQ(std::vector<std::string>{"locked.lnk"}, Search("*.lnk*"));
}

// Names in any script come back from the search as they are stored, and
// each names its own file: a Greek alpha is not its Latin look-alike "a",
// an emoji is two UTF-16 units, a right-to-left mark is a character like
// any other. Opening, the final path and deletion reach exactly that file.
TEST_F(StartupFilesContract, ANameInAnyScriptIsSeenWholeAndReachesOnlyItsFile) {
    IFiles& files = Machine().files;
    const std::vector<std::string> names{"qm-\u4E2D\u03B1.lnk", "qm-\u0416\u0443\u043A.lnk", "qm-\U0001F600.lnk",
                                         "qm-\u200F\u05D0.lnk", "qm-\u4E2Da.lnk"};  // the last the look-alike
    for (const std::string& name : names) contract::PutFileNamedInUtf8(folder_, name);
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> found = Search("qm-*");
    std::sort(found.begin(), found.end());
    ASSERT_EQ(sorted, found);
    for (const std::string& name : names) {
        EXPECT_NE(kInvalidFileAttributes, files.GetFileAttributes(In(name))) << name;
        long error = -1;
        const FileOwner entry(files, files.OpenEntry(In(name), EntryAccess::Attributes, error));
        ASSERT_TRUE(entry) << name << " error " << error;
        FinalPath final;
        ASSERT_TRUE(files.GetFinalPath(entry.Get(), final)) << name;
        EXPECT_EQ(name, final.exact.substr(final.exact.size() - std::min(final.exact.size(), name.size()))) << name;
    }
    EXPECT_EQ(kErrorSuccess, files.DeleteFile(In(names[0])));
    EXPECT_EQ(kErrorFileNotFound, files.DeleteFile(In(names[0])));
    EXPECT_NE(kInvalidFileAttributes, files.GetFileAttributes(In(names[4])));  // the look-alike stays
    // A text that is no UTF-8 names no file at all.
    EXPECT_EQ(kErrorNoUnicodeTranslation, files.DeleteFile(In("qm-\xE4.lnk")));
    EXPECT_EQ(names.size() - 1, Search("qm-*").size());
}

TEST_F(StartupFilesContract, StartupFoldersAreGivenAndUnknownOnesAreEmpty) {
    for (int csidl : {kCsidlStartup, kCsidlCommonStartup}) {
        const std::string path = GetSpecialFolderPath(Machine(), csidl);
        ASSERT_FALSE(path.empty()) << csidl;
        EXPECT_TRUE(StartsWithNoCase(path, "C:\\")) << path;
        EXPECT_NE('\\', path.back()) << path;
        EXPECT_EQ("\\startup", LowerAscii(path.substr(path.size() - 8))) << path;
    }
    EXPECT_EQ("", GetSpecialFolderPath(Machine(), 0x7F));  // no such folder
}

// A folder listed whole, as the report lists the folders its targets lie in
// to tell which are absent: every entry once with its attributes (a
// sub-folder as a folder, nothing of what it holds), "." and ".." left out;
// an 8.3 name, where the system keeps one, reaches the same entry; a folder
// that is not there and one with more entries than asked for list nothing.
TEST_F(StartupFilesContract, AFolderIsListedWholeOrNotAtAll) {
    IFiles& files = Machine().files;
    const std::string folder = In("listing");
    contract::MakeFolder(folder);
    contract::PutPlainFile(folder + "\\a.exe", "MZ", kFileAttributeArchive);
    contract::PutPlainFile(folder + "\\Mixed Case.TXT", "x", kFileAttributeReadonly);
    contract::PutPlainFile(folder + "\\a rather long name.text", "x", kFileAttributeHidden);
    contract::MakeFolder(folder + "\\Sub Folder");
    contract::PutPlainFile(folder + "\\Sub Folder\\inner.exe", "MZ", kFileAttributeArchive);

    std::vector<FolderEntry> entries{{"stale", "", 0}};
    ASSERT_EQ(kErrorSuccess, files.ListFolder(folder, 100, entries));
    std::map<std::string, FolderEntry> byName;
    for (const FolderEntry& e : entries) byName[e.name] = e;
    EXPECT_EQ(entries.size(), byName.size());
    std::vector<std::string> names;
    for (const auto& [name, e] : byName) names.push_back(name);
    EXPECT_EQ((std::vector<std::string>{"Mixed Case.TXT", "Sub Folder", "a rather long name.text", "a.exe"}), names);
    EXPECT_NE(0u, byName["Sub Folder"].attributes & kFileAttributeDirectory);
    EXPECT_EQ(0u, byName["a.exe"].attributes & kFileAttributeDirectory);
    EXPECT_NE(0u, byName["Mixed Case.TXT"].attributes & kFileAttributeReadonly);
    EXPECT_NE(0u, byName["a rather long name.text"].attributes & kFileAttributeHidden);
    for (const FolderEntry& e : entries) {
        if (e.shortName.empty()) continue;
        EXPECT_EQ(e.attributes, files.GetFileAttributes(folder + "\\" + e.shortName)) << e.name << " " << e.shortName;
    }
    // Wine makes an 8.3 name for a name that is none.
    if (contract::IsWine()) EXPECT_NE("", byName["a rather long name.text"].shortName);

    // With a trailing backslash, the same entries.
    std::vector<FolderEntry> again;
    ASSERT_EQ(kErrorSuccess, files.ListFolder(folder + "\\", 100, again));
    EXPECT_EQ(entries.size(), again.size());

    // Exactly as many entries as asked for, and one more.
    EXPECT_EQ(kErrorSuccess, files.ListFolder(folder, 4, again));
    EXPECT_EQ(4u, again.size());
    EXPECT_EQ(kErrorMoreData, files.ListFolder(folder, 3, again));
    EXPECT_TRUE(again.empty());

    again = entries;
    EXPECT_EQ(kErrorPathNotFound, files.ListFolder(folder + "\\no such folder", 100, again));
    EXPECT_TRUE(again.empty());
    again = entries;
    EXPECT_NE(kErrorSuccess, files.ListFolder(folder + "\\a.exe", 100, again));
    EXPECT_TRUE(again.empty());
}

// Files opened as themselves, as a deletion checks and deletes them: the
// same file has the same identity by any handle, another file another one;
// the final path lies in the folder's own; only a handle opened for deletion
// deletes, and a read-only file refuses.
TEST_F(StartupFilesContract, AnEntryOpenedAsItselfIsIdentifiedCheckedAndDeletedByItsHandle) {
    IFiles& files = Machine().files;
    contract::PutPlainFile(In("a.exe"), "MZ", kFileAttributeArchive);
    contract::PutPlainFile(In("b.exe"), "MZ", kFileAttributeArchive);
    contract::PutPlainFile(In("locked.exe"), "MZ", kFileAttributeReadonly);
    const auto info = [&](const std::string& path, bool forDeletion, FileEntryInfo& out, FinalPath& final) {
        long error = -1;
        const FileOwner entry(
            files, files.OpenEntry(path, forDeletion ? EntryAccess::Deletion : EntryAccess::Attributes, error));
        EXPECT_TRUE(entry) << path << " error " << error;
        EXPECT_EQ(kErrorSuccess, error) << path;
        EXPECT_TRUE(entry && files.GetEntryInfo(entry.Get(), out)) << path;
        EXPECT_TRUE(entry && files.GetFinalPath(entry.Get(), final)) << path;
    };
    FileEntryInfo folder, a, again, b;
    FinalPath folderPath, aPath, ignored;
    info(folder_, false, folder, folderPath);
    info(In("a.exe"), false, a, aPath);
    info(In("a.exe"), true, again, ignored);
    info(In("b.exe"), false, b, ignored);
    EXPECT_NE(0u, folder.attributes & kFileAttributeDirectory);
    EXPECT_EQ(0u, a.attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint));
    EXPECT_EQ(a.identity, again.identity);
    EXPECT_FALSE(a.identity == b.identity);
    EXPECT_FALSE(a.identity == folder.identity);
    EXPECT_EQ(LowerAscii(folderPath.exact + "\\a.exe"), LowerAscii(aPath.exact));

    long error = -1;
    {
        const FileOwner reading(files, files.OpenEntry(In("a.exe"), EntryAccess::Attributes, error));
        EXPECT_NE(kErrorSuccess, files.DeleteEntry(reading.Get()));
    }
    {
        const FileOwner locked(files, files.OpenEntry(In("locked.exe"), EntryAccess::Deletion, error));
        ASSERT_TRUE(locked);
        EXPECT_EQ(kErrorAccessDenied, files.DeleteEntry(locked.Get()));
    }
    {
        const FileOwner deleting(files, files.OpenEntry(In("a.exe"), EntryAccess::Deletion, error));
        ASSERT_TRUE(deleting);
        EXPECT_EQ(kErrorSuccess, files.DeleteEntry(deleting.Get()));
    }
    EXPECT_EQ(kInvalidFileAttributes, files.GetFileAttributes(In("a.exe")));
    EXPECT_NE(kInvalidFileAttributes, files.GetFileAttributes(In("b.exe")));
    EXPECT_NE(kInvalidFileAttributes, files.GetFileAttributes(In("locked.exe")));
    EXPECT_FALSE(files.OpenEntry(In("a.exe"), EntryAccess::Attributes, error));
    EXPECT_EQ(kErrorFileNotFound, error);
}

}  // namespace
}  // namespace qm
