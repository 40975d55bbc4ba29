// The registry accessor on a scratch key, the same rules on every machine.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract/env.h"
#include "core/errors.h"
#include "core/registry.h"

namespace qm {
namespace {

using contract::kScratchKey;
using contract::Machine;

std::vector<std::uint8_t> Text(const std::string& s) {
    std::vector<std::uint8_t> data(s.begin(), s.end());
    data.push_back(0);
    return data;
}

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveScratch();
        IRegistry& r = Machine().registry;
        ASSERT_EQ(kErrorSuccess,
                  r.CreateKey(kHkeyCurrentUser, std::string(kScratchKey) + "\\Run", kKeyAllAccess, key_));
    }
    void TearDown() override {
        Machine().registry.CloseKey(key_);
        RemoveScratch();
    }
    static void RemoveScratch() {
        IRegistry& r = Machine().registry;
        r.DeleteKey(kHkeyCurrentUser, std::string(kScratchKey) + "\\Run\\Sub");
        r.DeleteKey(kHkeyCurrentUser, std::string(kScratchKey) + "\\Run");
        r.DeleteKey(kHkeyCurrentUser, kScratchKey);
    }
    void Set(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
        ASSERT_EQ(kErrorSuccess, Machine().registry.SetValue(key_, name, type, data));
    }
    KeyHandle key_;
};

// A key name may have 255 characters. It is reached below its parent and by
// a full path of more than 260 characters alike (only Wine's ANSI call
// refuses such a path, with ERROR_MORE_DATA).
TEST_F(RegistryContract, AKeyWithTheLongestNameOpensBelowItsParentWhateverTheFullPathsLength) {
    IRegistry& r = Machine().registry;
    const std::string name(255, 'k');
    KeyHandle created;
    ASSERT_EQ(kErrorSuccess, r.CreateKey(key_, name, kKeyAllAccess, created));
    r.CloseKey(created);
    KeyHandle opened;
    EXPECT_EQ(kErrorSuccess, r.OpenKey(key_, name, kKeyAllAccess, opened));
    r.CloseKey(opened);
    const std::string full = std::string(kScratchKey) + "\\Run\\" + name;
    ASSERT_GT(full.size(), 260u);
    opened = KeyHandle{};
    const long byFullPath = r.OpenKey(kHkeyCurrentUser, full, kKeyAllAccess, opened);
    if (byFullPath == kErrorSuccess) r.CloseKey(opened);
    EXPECT_EQ(kErrorSuccess, byFullPath);
    // 260 characters are still taken everywhere.
    const std::string shortName(260 - (std::string(kScratchKey) + "\\Run\\").size(), 's');
    ASSERT_EQ(kErrorSuccess, r.CreateKey(key_, shortName, kKeyAllAccess, created));
    r.CloseKey(created);
    EXPECT_EQ(kErrorSuccess,
              r.OpenKey(kHkeyCurrentUser, std::string(kScratchKey) + "\\Run\\" + shortName, kKeyAllAccess, opened));
    r.CloseKey(opened);
    r.DeleteKey(key_, shortName);
    r.DeleteKey(key_, name);
}

TEST_F(RegistryContract, OpensFromTheRootWithALeadingBackslashAndBelowTheOpenKeyWithout) {
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    KeyHandle sub;
    ASSERT_EQ(kErrorSuccess, Machine().registry.CreateKey(key_, "Sub", kKeyAllAccess, sub));
    Machine().registry.CloseKey(sub);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey, false));
    EXPECT_TRUE(reg.OpenKey("run", false));  // below the open key; names ignore case
    EXPECT_TRUE(reg.OpenKey("Sub", false));
    EXPECT_FALSE(reg.OpenKey("Missing", false));  // a failure keeps the open key
    EXPECT_TRUE(reg.CurrentKey());
    EXPECT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run\\", false));  // a trailing backslash is fine
    reg.CloseKey();
    EXPECT_FALSE(reg.CurrentKey());
    EXPECT_FALSE(reg.OpenKey("Software\\QuellmarkTest\\Missing", false));  // never created
    EXPECT_FALSE(reg.OpenKey("Software\\QuellmarkTest\\Missing", false));
}

TEST_F(RegistryContract, ReadsTextUpToTheFirstNulWithoutExpandingAndEmptyForMissingOrEmptyValues) {
    Set("plain", kRegSz, Text("C:\\app.exe /min"));
    Set("expand", kRegExpandSz, Text("%SystemRoot%\\x.exe"));
    std::vector<std::uint8_t> twoParts = Text("first");
    for (char c : std::string("second")) twoParts.push_back(static_cast<std::uint8_t>(c));
    twoParts.push_back(0);
    Set("nul", kRegSz, twoParts);
    Set("empty", kRegSz, {});
    Set("emptyDword", kRegDword, {});
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run", false));
    EXPECT_EQ("C:\\app.exe /min", reg.ReadString("plain"));
    EXPECT_EQ("C:\\app.exe /min", reg.ReadString("PLAIN"));
    EXPECT_EQ("%SystemRoot%\\x.exe", reg.ReadString("expand"));
    EXPECT_EQ("first", reg.ReadString("nul"));
    EXPECT_EQ("", reg.ReadString("empty"));
    EXPECT_EQ("", reg.ReadString("emptyDword"));  // no data names nothing, whatever its type
    EXPECT_EQ("", reg.ReadString("missing"));
}

TEST_F(RegistryContract, AValueThatIsNotTextReadsAsItsTypeAndSize) {
    Set("flags", kRegDword, {1, 0, 0, 0});
    Set("blob", kRegBinary, {1, 2, 0});
    Set("list", kRegMultiSz, {'a', 0, 0});
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run", false));
    EXPECT_EQ("(REG_DWORD, 4 bytes)", reg.ReadString("flags"));
    EXPECT_EQ("(REG_BINARY, 3 bytes)", reg.ReadString("blob"));
    EXPECT_EQ("(REG_MULTI_SZ, 3 bytes)", reg.ReadString("list"));
}

TEST_F(RegistryContract, ListsValueNamesWithTheDefaultValueUnderTheEmptyNameAndDeletesValues) {
    Set("Zeta", kRegSz, Text("z.exe"));
    Set("Alpha", kRegSz, Text("a.exe"));
    Set("", kRegSz, Text("default.exe"));
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run", false));
    std::vector<std::string> names;
    reg.GetValueNames(names);
    if (contract::IsWine()) {
        // Wine enumerates values sorted by name; Windows in the order written.
        EXPECT_EQ((std::vector<std::string>{"", "Alpha", "Zeta"}), names);
    } else {
        EXPECT_EQ((std::vector<std::string>{"Zeta", "Alpha", ""}), names);
    }
    EXPECT_EQ("default.exe", reg.ReadString(""));
    EXPECT_FALSE(reg.DeleteValue("zeta"));  // opened for reading only
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run", false, kKeyQueryValue | kKeySetValue));
    EXPECT_TRUE(reg.DeleteValue("zeta"));
    EXPECT_FALSE(reg.DeleteValue("zeta"));
    reg.GetValueNames(names);
    EXPECT_EQ(2u, names.size());
}

// Value names are counted: one with a NUL inside is listed whole, its own
// data is read, and deleting it deletes it alone, never the value named by
// its part before the NUL.
TEST_F(RegistryContract, ANameWithANulInsideIsCountedEndToEnd) {
    const std::string hidden("Updater\0evil", 12);
    Set("Updater", kRegSz, Text("C:\\good.exe"));
    Set(hidden, kRegSz, Text("C:\\evil.exe"));
    Set("Other", kRegSz, Text("C:\\other.exe"));
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    const std::string key = std::string("\\") + kScratchKey + "\\Run";
    ASSERT_TRUE(reg.OpenKey(key, false));
    std::vector<std::string> names;
    reg.GetValueNames(names);
    ASSERT_EQ(3u, names.size());
    EXPECT_EQ(1, std::count(names.begin(), names.end(), hidden));
    EXPECT_EQ("C:\\evil.exe", reg.ReadString(hidden));
    EXPECT_EQ("C:\\good.exe", reg.ReadString("Updater"));
    ASSERT_TRUE(reg.OpenKey(key, false, kKeyQueryValue | kKeySetValue));
    EXPECT_TRUE(reg.DeleteValue(hidden));
    reg.GetValueNames(names);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Other", "Updater"}), names);
    EXPECT_EQ("C:\\good.exe", reg.ReadString("Updater"));
    EXPECT_FALSE(reg.DeleteValue(hidden));  // gone
}

// Names and texts in any script go in and come back exactly: Cyrillic, CJK,
// an emoji (two UTF-16 units), a right-to-left mark, and a name holding an
// unpaired surrogate, which only the WTF-8 the program holds can spell.
// Each name reaches its own value: the Cyrillic one is not its Latin
// look-alike, and deleting it leaves the look-alike.
TEST_F(RegistryContract, NamesAndTextsInAnyScriptAreReadAndDeletedExactly) {
    const std::string cyrillic = "\u0421\u0430lc", lookAlike = "Calc";
    const std::vector<std::pair<std::string, std::string>> values{
        {cyrillic, "C:\\\u041F\u0440\u043E\u0433\\\u0436\u0443\u043A.exe /\u0445"},
        {lookAlike, "C:\\calc.exe"},
        {"\u4E2D\u6587\u66F4\u65B0", "C:\\\u4E2D\\\u6587.exe"},
        {"Up\U0001F600date", "C:\\\U0001F600\\up.exe"},
        {"\u200F\u05E2\u05D3", "C:\\\u200F\u05D0.exe"},
        {"lone\xED\xA0\xBDhalf", "C:\\lone\xED\xA0\xBD.exe"},
    };
    for (const auto& [name, text] : values) Set(name, kRegSz, Text(text));
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    const std::string key = std::string("\\") + kScratchKey + "\\Run";
    ASSERT_TRUE(reg.OpenKey(key, false));
    std::vector<std::string> names, expected;
    reg.GetValueNames(names);
    for (const auto& [name, text] : values) expected.push_back(name);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(expected, names);
    for (const auto& [name, text] : values) EXPECT_EQ(text, reg.ReadString(name)) << name;
    ASSERT_TRUE(reg.OpenKey(key, false, kKeyQueryValue | kKeySetValue));
    EXPECT_TRUE(reg.DeleteValue(cyrillic));
    EXPECT_FALSE(reg.DeleteValue(cyrillic));
    EXPECT_EQ("C:\\calc.exe", reg.ReadString(lookAlike));
    EXPECT_TRUE(reg.DeleteValue("lone\xED\xA0\xBDhalf"));
    reg.GetValueNames(names);
    EXPECT_EQ(values.size() - 2, names.size());
    // A text that is no UTF-8 names no value; nothing else is touched.
    EXPECT_EQ(kErrorNoUnicodeTranslation, Machine().registry.DeleteValue(key_, "C\xE0lc"));
    reg.GetValueNames(names);
    EXPECT_EQ(values.size() - 2, names.size());
}

// A value enumerated with its data is the value listed by that index and
// read by that name: the same name (NULs and any script kept), type and
// data, text in UTF-8. Data larger than the caller's bound is refused whole.
TEST_F(RegistryContract, EnumeratingAValueWithItsDataGivesWhatItsNameAndReadGive) {
    const std::string counted("Up\0date", 7);
    Set("", kRegSz, Text("C:\\default.exe"));
    Set(counted, kRegSz, Text("C:\\counted.exe"));
    Set("\u041A\u043B\U0001F600", kRegExpandSz, Text("%SystemRoot%\\\u4E2D.exe"));
    Set("Empty", kRegSz, {});
    Set("Flags", kRegDword, {1, 2, 3, 4});
    Set("List", kRegMultiSz, {'a', 0, 'b', 0, 0});
    Set("Long", kRegSz, Text(std::string(300, 'x')));
    IRegistry& r = Machine().registry;
    std::vector<std::string> listed;
    for (std::uint32_t i = 0;; ++i) {
        std::string name, alone;
        RegValue withName, byName;
        const long rc = r.EnumValueData(key_, i, 1024, name, withName);
        if (rc == kErrorNoMoreItems) break;
        ASSERT_EQ(kErrorSuccess, rc) << i;
        ASSERT_EQ(kErrorSuccess, r.EnumValue(key_, i, alone));
        EXPECT_EQ(alone, name) << i;
        ASSERT_EQ(kErrorSuccess, r.QueryValue(key_, name, 1024, byName)) << name;
        EXPECT_EQ(byName.type, withName.type) << name;
        EXPECT_EQ(byName.data, withName.data) << name;
        listed.push_back(name);
        // The same value with a bound below its data's size.
        RegValue small;
        std::string ignored;
        EXPECT_EQ(withName.data.size() > 4 ? kErrorMoreData : kErrorSuccess,
                  r.EnumValueData(key_, i, 4, ignored, small))
            << name;
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ((std::vector<std::string>{"", "Empty", "Flags", "List", "Long", counted, "\u041A\u043B\U0001F600"}),
              listed);

    // The accessor hands over each value's text as its two reads give it.
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run", false));
    std::vector<std::pair<std::string, ValueText>> texts;
    reg.ForEachValueText([&](const std::string& name, const ValueText& text) { texts.emplace_back(name, text); });
    ASSERT_EQ(listed.size(), texts.size());
    for (const auto& [name, text] : texts) {
        const ValueText read = reg.ReadValueText(name);
        EXPECT_EQ(read.text, text.text) << name;
        EXPECT_EQ(read.nonTextType, text.nonTextType) << name;
    }
    // A value that is no text says its type; text says none.
    for (const auto& [name, text] : texts)
        if (name == "Flags") EXPECT_EQ(std::optional<std::uint32_t>(kRegDword), text.nonTextType);
        else if (name == "Empty" || name == "") EXPECT_FALSE(text.nonTextType) << name;
}

// Key names in any script: a sub-key is listed by its whole name and opened
// by it, from its parent and by its full path.
TEST_F(RegistryContract, KeyNamesInAnyScriptAreListedAndOpened) {
    const std::string name = "\u041A\u043B\u044E\u0447 \u4E2D \U0001F600 \u200F\u05D0";
    KeyHandle sub;
    ASSERT_EQ(kErrorSuccess, Machine().registry.CreateKey(key_, name, kKeyAllAccess, sub));
    Machine().registry.CloseKey(sub);
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run", false, kKeyQueryValue | kKeyEnumerateSubKeys));
    std::vector<std::string> names;
    reg.GetKeyNames(names);
    EXPECT_EQ(std::vector<std::string>{name}, names);
    EXPECT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey + "\\Run\\" + name, false));
    reg.CloseKey();
    Machine().registry.DeleteKey(key_, name);
}

TEST_F(RegistryContract, ListsSubKeyNames) {
    KeyHandle sub;
    ASSERT_EQ(kErrorSuccess, Machine().registry.CreateKey(key_, "Sub", kKeyAllAccess, sub));
    Machine().registry.CloseKey(sub);
    Registry reg(Machine().registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + kScratchKey, false, kKeyQueryValue | kKeyEnumerateSubKeys));
    std::vector<std::string> names{"stale"};
    reg.GetKeyNames(names);
    EXPECT_EQ((std::vector<std::string>{"Run"}), names);
}

// On 64-bit Windows HKLM\SOFTWARE has a 32-bit view below WOW6432Node: the
// accessor reaches a key of that view by its plain path in the 32-bit view
// only, from a 32-bit and a 64-bit program alike. On 32-bit Windows there
// is one view, and asking for either changes nothing.
TEST(RegistryViews, EachViewReachesItsOwnKeyByThePlainPath) {
    ISystemInfo& system = Machine().system;
    EXPECT_EQ(system.IsWow64Program(), system.Is64BitWindows() && sizeof(void*) == 4);
    IRegistry& r = Machine().registry;
    KeyHandle key;
    if (!system.Is64BitWindows()) {
        const std::string plain = "SOFTWARE\\QuellmarkViewTest";
        ASSERT_EQ(kErrorSuccess, r.CreateKey(kHkeyLocalMachine, plain, kKeyAllAccess, key));
        r.CloseKey(key);
        for (RegView view : {RegView::Default, RegView::Registry32, RegView::Registry64}) {
            Registry reg(r);
            reg.SetRootKey(kHkeyLocalMachine);
            reg.SetView(view);
            EXPECT_TRUE(reg.OpenKey("\\" + plain, false));
        }
        EXPECT_EQ(kErrorSuccess, r.DeleteKey(kHkeyLocalMachine, plain));
        return;
    }
    const std::string wow = "SOFTWARE\\WOW6432Node\\QuellmarkViewTest";
    r.DeleteKey(kHkeyLocalMachine, wow);
    ASSERT_EQ(kErrorSuccess, r.CreateKey(kHkeyLocalMachine, wow, kKeyAllAccess, key));
    EXPECT_EQ(kErrorSuccess, r.SetValue(key, "View", kRegSz, Text("32")));
    r.CloseKey(key);
    Registry reg(r);
    reg.SetRootKey(kHkeyLocalMachine);
    reg.SetView(RegView::Registry32);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\QuellmarkViewTest", false));
    EXPECT_EQ("32", reg.ReadString("View"));
    reg.CloseKey();
    reg.SetView(RegView::Registry64);
    EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\QuellmarkViewTest", false));
    EXPECT_TRUE(reg.OpenKey("\\SOFTWARE\\WOW6432Node\\QuellmarkViewTest", false));
    reg.CloseKey();
    EXPECT_EQ(kErrorSuccess, r.DeleteKey(kHkeyLocalMachine, wow));
}

}  // namespace
}  // namespace qm
