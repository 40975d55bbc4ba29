// The values that hold a list of entries: REG_MULTI_SZ (one string each), or
// one text whose entries are separated by blanks or commas (AppInit_DLLs).
// An entry is removed from the data as stored, leaving every other byte as
// it was: the other entries, their order, the separators between them and
// the type.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// Where one entry lies in the data, in bytes.
struct ListEntry {
    std::size_t begin = 0, end = 0;
    std::string text;
};

// The entries of a list value of `type`; none for a type that holds no list
// of text (a REG_BINARY, a REG_DWORD). A REG_SZ or REG_EXPAND_SZ ends at its
// first NUL; a REG_MULTI_SZ at its first empty string or the end of the data.
std::optional<std::vector<ListEntry>> ListEntries(std::uint32_t type, const std::vector<std::uint8_t>& data);

// The data with entry `index` removed. In a REG_MULTI_SZ the string and its
// NUL go; in a text the entry and the separators after it go (before it, for
// the last entry), so the rest stays byte for byte. The data unchanged when
// there is no such entry.
std::vector<std::uint8_t> WithoutEntry(std::uint32_t type, const std::vector<std::uint8_t>& data, std::size_t index);

// The file one entry of a hook starts or loads, as the system finds it.
enum class HookFile {
    CommandLine,  // a command line: its program (a bare name is looked for in System32)
    BootProgram,  // a BootExecute line: "autocheck autochk *" runs System32\autochk.exe
    SystemDll,    // a DLL or package name: a bare name is System32\<name>.dll
};
std::string HookFileOf(const std::string& entry, HookFile form, const std::string& windows);

}  // namespace qm
