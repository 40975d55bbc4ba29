// The report's command line and its exit codes.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "report/formats.h"

namespace qm::report {

// Exit codes. 64 to 74 are the BSD sysexits codes, which scripts know.
inline constexpr int kExitOk = 0;            // reported; with --compare: nothing differs
inline constexpr int kExitDifferent = 1;     // --compare: something was added, removed or changed
inline constexpr int kExitPartial = 2;       // a location could not be read; everything else is reported
inline constexpr int kExitUsage = 64;        // bad usage
inline constexpr int kExitBadBaseline = 65;  // the baseline is no report this program reads
inline constexpr int kExitNoBaseline = 66;   // the baseline (or, with --changes, the journal) cannot be read
// Windows cannot keep DLL loads out of the program's folder (no
// SetDefaultDllDirectories): nothing is read or written.
inline constexpr int kExitUnsafeSystem = 69;
inline constexpr int kExitCannotWrite = 74;  // the output cannot be written; an old output file stays as it was

struct Options {
    Format format = Format::Json;
    bool formatGiven = false;
    std::optional<std::string> output;
    std::optional<std::string> compare;
    bool csvRaw = false;   // --csv-raw: a field that looks like a formula is written as it is
    bool changes = false;  // --changes: the change journal instead of the entries
    bool help = false;
    bool version = false;
};

// The options, or none with `error` saying what is wrong with the usage.
std::optional<Options> ParseArguments(const std::vector<std::string>& arguments, std::string& error);

std::string HelpText();

}  // namespace qm::report
