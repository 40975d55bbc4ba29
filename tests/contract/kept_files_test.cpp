// What a change that removes a file keeps of it and how it puts it back, the
// same on the simulated machine and the real one: a file's content read
// whole through the handle that deletes it, a new file written and given
// its times, and the folder that only administrators may change, with the
// owner and access list the system shows of it.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract/env.h"
#include "contract/env_files.h"
#include "platform/owner.h"

namespace qm {
namespace {

using contract::Machine;

constexpr std::uint32_t kFileReadData = 0x1;  // FILE_LIST_DIRECTORY of a folder
constexpr std::uint32_t kReadAndExecute = 0x1200A9;
constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kLocalSystem = "S-1-5-18";
constexpr const char* kEveryone = "S-1-1-0";

// Distinct FILETIMEs (2018, 2020, 2022), none a whole second.
constexpr std::uint64_t kCreated = 131600000001234567ull;
constexpr std::uint64_t kAccessed = 132200000007654321ull;
constexpr std::uint64_t kWritten = 132900000003333333ull;

std::vector<std::uint8_t> Pattern(size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class KeptFilesContract : public ::testing::Test {
protected:
    void SetUp() override { folder_ = contract::PrepareScratchFolder(); }
    void TearDown() override { contract::RemoveScratchFolder(); }
    std::string In(const std::string& name) const { return folder_ + "\\" + name; }
    static EntrySecurity SecurityOf(const std::string& path) {
        IFiles& files = Machine().files;
        long error = -1;
        const FileOwner entry(files, files.OpenEntry(path, EntryAccess::Security, error));
        EXPECT_TRUE(entry) << path << " error " << error;
        EntrySecurity security;
        EXPECT_EQ(kErrorSuccess, entry ? files.GetEntrySecurity(entry.Get(), security) : error) << path;
        return security;
    }
    std::string folder_;
};

// Each rule's trustee is the one its identifier names, and the owner's too.
void ExpectTrusteesMatchTheirSids(const EntrySecurity& security) {
    const auto trustee = [](const std::string& sid) {
        return sid == kAdministrators ? Trustee::Administrators
               : sid == kLocalSystem  ? Trustee::LocalSystem
               : sid == "S-1-3-0"     ? Trustee::CreatorOwner
                                      : Trustee::Other;
    };
    EXPECT_EQ(trustee(security.ownerSid), security.owner) << security.ownerSid;
    for (const AccessRule& rule : security.rules) {
        EXPECT_EQ(trustee(rule.sid), rule.trustee) << rule.sid;
        EXPECT_EQ(0u, rule.sid.rfind("S-1-", 0)) << rule.sid;
    }
}

// A file made new holds exactly what was written to it, in two writes, and
// is given back its attributes and all three times; a time of 0 given later
// leaves that time as it was.
TEST_F(KeptFilesContract, ANewFileHoldsWhatWasWrittenAndTakesItsAttributesAndTimes) {
    IFiles& files = Machine().files;
    const std::vector<std::uint8_t> content = Pattern(200000);  // more than one read of 64 KiB, NULs inside
    {
        long error = -1;
        const FileOwner made(files, files.CreateNewFile(In("kept.bin"), error));
        ASSERT_TRUE(made) << error;
        EXPECT_EQ(kErrorSuccess, error);
        const std::vector<std::uint8_t> first(content.begin(), content.begin() + 70001);
        const std::vector<std::uint8_t> rest(content.begin() + 70001, content.end());
        EXPECT_EQ(kErrorSuccess, files.WriteEntry(made.Get(), first));
        EXPECT_EQ(kErrorSuccess, files.WriteEntry(made.Get(), rest));
        FileBasics basics;
        basics.attributes = kFileAttributeArchive | kFileAttributeHidden;
        basics.creationTime = kCreated;
        basics.lastAccessTime = kAccessed;
        basics.lastWriteTime = kWritten;
        EXPECT_EQ(kErrorSuccess, files.SetEntryBasics(made.Get(), basics));
        // Only the attributes change now: every time of 0 is left alone.
        FileBasics attributesOnly;
        attributesOnly.attributes = kFileAttributeReadonly | kFileAttributeHidden | kFileAttributeArchive;
        EXPECT_EQ(kErrorSuccess, files.SetEntryBasics(made.Get(), attributesOnly));
    }
    long error = -1;
    const FileOwner kept(files, files.OpenEntry(In("kept.bin"), EntryAccess::Deletion, error));
    ASSERT_TRUE(kept) << error;
    FileEntryInfo info;
    ASSERT_TRUE(files.GetEntryInfo(kept.Get(), info));
    EXPECT_EQ(content.size(), info.size);
    EXPECT_EQ(kFileAttributeReadonly | kFileAttributeHidden | kFileAttributeArchive, info.attributes);
    EXPECT_EQ(kAccessed, info.lastAccessTime);
    EXPECT_EQ(kWritten, info.lastWriteTime);
    // Wine 8 keeps no creation time of a file (Linux has none to set): it
    // shows the last write time in its place.
    EXPECT_EQ(contract::IsWine() ? kWritten : kCreated, info.creationTime);
    std::vector<std::uint8_t> read;
    EXPECT_EQ(kErrorSuccess, files.ReadEntryBytes(kept.Get(), static_cast<std::uint32_t>(content.size()), read));
    EXPECT_TRUE(read == content) << read.size() << " bytes read";
}

// CREATE_NEW makes nothing where a name is taken, by a file or by a folder,
// and leaves what is there as it was; in a missing folder it makes nothing
// either. A handle that did not make its file writes nothing to it.
TEST_F(KeptFilesContract, ANewFileIsMadeOnlyWhereNothingHasItsName) {
    IFiles& files = Machine().files;
    contract::PutPlainFile(In("taken.txt"), "as it was", kFileAttributeArchive);
    contract::MakeFolder(In("taken folder"));
    struct Case {
        const char* name;
        long error;
    } cases[] = {
        {"taken.txt", kErrorFileExists},
        {"TAKEN.TXT", kErrorFileExists},  // names ignore case
        {"taken folder", kErrorFileExists},
        {"missing folder\\new.txt", kErrorPathNotFound},
    };
    for (const Case& c : cases) {
        long error = -1;
        const FileOwner made(files, files.CreateNewFile(In(c.name), error));
        EXPECT_FALSE(made) << c.name;
        EXPECT_EQ(c.error, error) << c.name;
    }
    std::vector<std::uint8_t> content;
    EXPECT_EQ(kErrorSuccess, files.ReadFileBytes(In("taken.txt"), 100, content));
    EXPECT_EQ(std::string("as it was"), std::string(content.begin(), content.end()));
    EXPECT_NE(0u, files.GetFileAttributes(In("taken folder")) & kFileAttributeDirectory);

    long error = -1;
    const FileOwner opened(files, files.OpenEntry(In("taken.txt"), EntryAccess::Deletion, error));
    ASSERT_TRUE(opened) << error;
    EXPECT_EQ(kErrorAccessDenied, files.WriteEntry(opened.Get(), {'x'}));
    EXPECT_EQ(kErrorSuccess, files.ReadFileBytes(In("taken.txt"), 100, content));
    EXPECT_EQ(9u, content.size());
}

// The handle a deletion holds reads the whole file from its start, as often
// as asked, or nothing at all when the file is over the limit; a handle
// opened only for the attributes reads nothing.
TEST_F(KeptFilesContract, TheHandleADeletionHoldsReadsTheWholeFileWithinTheLimit) {
    IFiles& files = Machine().files;
    const std::vector<std::uint8_t> bytes = Pattern(70000);
    contract::PutPlainFile(In("run.exe"), std::string(bytes.begin(), bytes.end()), kFileAttributeReadonly);
    contract::PutPlainFile(In("empty.exe"), "", kFileAttributeArchive);
    long error = -1;
    const FileOwner file(files, files.OpenEntry(In("run.exe"), EntryAccess::Deletion, error));
    ASSERT_TRUE(file) << error;
    for (int round = 0; round < 2; ++round) {  // a second read starts at the start again
        std::vector<std::uint8_t> read{1, 2, 3};
        EXPECT_EQ(kErrorSuccess, files.ReadEntryBytes(file.Get(), 70000, read)) << round;
        EXPECT_TRUE(read == bytes) << round << ": " << read.size() << " bytes";
    }
    std::vector<std::uint8_t> read{1, 2, 3};
    EXPECT_EQ(kErrorFileTooLarge, files.ReadEntryBytes(file.Get(), 69999, read));
    EXPECT_TRUE(read.empty());

    const FileOwner empty(files, files.OpenEntry(In("empty.exe"), EntryAccess::Deletion, error));
    ASSERT_TRUE(empty) << error;
    read = {1};
    EXPECT_EQ(kErrorSuccess, files.ReadEntryBytes(empty.Get(), 0, read));
    EXPECT_TRUE(read.empty());

    const FileOwner attributes(files, files.OpenEntry(In("run.exe"), EntryAccess::Attributes, error));
    ASSERT_TRUE(attributes) << error;
    read = {1};
    EXPECT_EQ(kErrorAccessDenied, files.ReadEntryBytes(attributes.Get(), 70000, read));
    EXPECT_TRUE(read.empty());
}

// The folder a journal keeps its records in: made once (a second time, or
// over a file, it says the name is taken), owned by Administrators and open
// to no one but Administrators and SYSTEM, where a folder made plainly lets
// others in.
TEST_F(KeptFilesContract, AProtectedFolderGrantsOnlyAdministratorsAndSystem) {
    IFiles& files = Machine().files;
    ASSERT_EQ(kErrorSuccess, files.CreateProtectedFolder(In("kept")));
    contract::PutPlainFile(In("a file"), "x", kFileAttributeArchive);
    EXPECT_EQ(kErrorAlreadyExists, files.CreateProtectedFolder(In("kept")));
    EXPECT_EQ(kErrorAlreadyExists, files.CreateProtectedFolder(In("a file")));
    EXPECT_EQ(kErrorPathNotFound, files.CreateProtectedFolder(In("missing\\kept")));
    EXPECT_NE(0u, files.GetFileAttributes(In("kept")) & kFileAttributeDirectory);

    const EntrySecurity kept = SecurityOf(In("kept"));
    ExpectTrusteesMatchTheirSids(kept);
    EXPECT_FALSE(kept.nullAcl);
    struct Rule {
        std::string sid;
        bool allow;
        bool inheritOnly;
        std::uint32_t mask;
        bool operator==(const Rule&) const = default;
    };
    std::vector<Rule> rules;
    for (const AccessRule& r : kept.rules) rules.push_back({r.sid, r.allow, r.inheritOnly, r.mask});
    if (contract::IsWine()) {
        // Wine 8 keeps no owner and no access list of a file or folder (it
        // writes none to the disk): it makes both up from the Unix owner
        // and mode, the user as the owner, SYSTEM and the user with every
        // right, Everyone with what the mode gives others. What it took
        // from the list given is the mode: nothing for others.
        EXPECT_EQ(Trustee::Other, kept.owner);
        EXPECT_EQ(0u, kept.ownerSid.rfind("S-1-5-21-", 0)) << kept.ownerSid;
        EXPECT_EQ((std::vector<Rule>{{kLocalSystem, true, false, kFileAllAccess},
                                     {kept.ownerSid, true, false, kFileAllAccess}}),
                  rules);
    } else {
        EXPECT_EQ(Trustee::Administrators, kept.owner);
        EXPECT_EQ(kAdministrators, kept.ownerSid);
        EXPECT_EQ((std::vector<Rule>{{kAdministrators, true, false, kFileAllAccess},
                                     {kLocalSystem, true, false, kFileAllAccess}}),
                  rules);
    }

    // A folder made as any program makes one shows the rules it has, which
    // let someone besides Administrators and SYSTEM in: Users on the
    // simulated machine's folders, the user on Windows, the user and
    // Everyone under Wine.
    contract::MakeFolder(In("plain"));
    const EntrySecurity plain = SecurityOf(In("plain"));
    ExpectTrusteesMatchTheirSids(plain);
    EXPECT_FALSE(plain.nullAcl);
    EXPECT_TRUE(std::any_of(plain.rules.begin(), plain.rules.end(), [](const AccessRule& r) {
        return r.allow && r.trustee == Trustee::Other && (r.mask & kFileReadData);
    }));
    if (contract::IsWine()) {
        EXPECT_TRUE(std::any_of(plain.rules.begin(), plain.rules.end(), [](const AccessRule& r) {
            return r.allow && r.sid == kEveryone && r.mask == kReadAndExecute;
        }));
    }

    // A file made in the protected folder takes its rules; Wine's, made up
    // from the file's mode, lets Everyone read it.
    {
        long error = -1;
        const FileOwner made(files, files.CreateNewFile(In("kept\\record"), error));
        ASSERT_TRUE(made) << error;
    }
    const EntrySecurity record = SecurityOf(In("kept\\record"));
    ExpectTrusteesMatchTheirSids(record);
    for (const AccessRule& r : record.rules) {
        if (!r.allow) continue;
        const bool trusted = r.trustee == Trustee::Administrators || r.trustee == Trustee::LocalSystem;
        if (contract::IsWine())
            EXPECT_TRUE(trusted || r.sid == kept.ownerSid || (r.sid == kEveryone && r.mask == kReadAndExecute))
                << r.sid;
        else EXPECT_TRUE(trusted) << r.sid;
    }
}

// The owner and the access list are read only through a handle opened for
// them.
TEST_F(KeptFilesContract, TheSecurityIsReadOnlyThroughAHandleOpenedForIt) {
    IFiles& files = Machine().files;
    contract::PutPlainFile(In("a.exe"), "MZ", kFileAttributeArchive);
    long error = -1;
    const FileOwner attributes(files, files.OpenEntry(In("a.exe"), EntryAccess::Attributes, error));
    ASSERT_TRUE(attributes) << error;
    EntrySecurity security;
    EXPECT_EQ(kErrorAccessDenied, files.GetEntrySecurity(attributes.Get(), security));
    const FileOwner secured(files, files.OpenEntry(In("a.exe"), EntryAccess::Security, error));
    ASSERT_TRUE(secured) << error;
    EXPECT_EQ(kErrorSuccess, files.GetEntrySecurity(secured.Get(), security));
    EXPECT_FALSE(security.rules.empty());
}

}  // namespace
}  // namespace qm
