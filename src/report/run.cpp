#include "report/run.h"

#include "core/inspect/version_resource.h"
#include "core/model/json_reader.h"
#include "core/safe_start.h"
#include "report/changes.h"
#include "report/command_line.h"
#include "report/compare.h"
#include "report/record.h"

namespace qm::report {

namespace {

std::string VersionText(Platform& platform) {
    const std::string self = platform.system.ModuleFileName();
    std::string build, version;
    GetFileVersionText(platform.versions, self, build);
    GetProductVersionText(platform.versions, self, version);
    if (build.empty() && version.empty()) return std::string(kProgramName) + " (no version information)\n";
    return std::string(kProgramName) + " " + version + " (Build " + build + ")\n";
}

std::string ComputerName(Platform& platform) {
    std::string name;
    return platform.system.GetComputerName(256, name) ? name : std::string();
}

int Fail(IReportHost& host, int code, const std::string& message) {
    host.StandardError(std::string(kProgramName) + ": " + message + "\n");
    return code;
}

}  // namespace

int RunReport(Platform& platform, std::span<const Category> categories, const std::vector<std::string>& arguments,
              IReportHost& host) {
    // Before the arguments, and before anything that could load a DLL.
    if (const std::optional<std::string> reason = ReasonNotToRun(platform.system))
        return Fail(host, kExitUnsafeSystem, *reason);
    std::string error;
    const std::optional<Options> options = ParseArguments(arguments, error);
    if (!options) return Fail(host, kExitUsage, error + "\nTry '" + std::string(kProgramName) + " --help' for more.");
    if (options->help) {
        host.StandardOutput().Write(HelpText());
        return host.StandardOutputOk() ? kExitOk : kExitCannotWrite;
    }
    if (options->version) {
        host.StandardOutput().Write(VersionText(platform));
        return host.StandardOutputOk() ? kExitOk : kExitCannotWrite;
    }

    if (options->changes) {
        Journal journal(platform);
        std::vector<JournalItem> items;
        if (!journal.List(items, error)) return Fail(host, kExitNoBaseline, "cannot read the change journal: " + error);
        std::unique_ptr<IOutputFile> file;
        if (options->output && !(file = host.CreateOutputFile(*options->output, error)))
            return Fail(host, kExitCannotWrite, "cannot write " + *options->output + ": " + error);
        IOutput& output = file ? static_cast<IOutput&>(*file) : host.StandardOutput();
        const CsvStyle csv{.formulasAsText = !options->csvRaw, .printable = !file && host.StandardOutputIsConsole()};
        WriteChanges(platform, journal.FolderPath(), items, options->format, output, csv);
        output.Flush();
        if (file && !file->Commit(error))
            return Fail(host, kExitCannotWrite, "cannot write " + *options->output + ": " + error);
        if (!file && !host.StandardOutputOk()) return Fail(host, kExitCannotWrite, "cannot write to standard output");
        for (const JournalItem& item : items)
            if (!item.record) {
                host.StandardError(std::string(kProgramName) + ": some records are damaged; each is listed with why\n");
                return kExitPartial;
            }
        return kExitOk;
    }

    // The baseline first: nothing is read from the machine or written for a
    // comparison that cannot be made.
    std::vector<Record> baseline;
    std::vector<std::uint64_t> missing;  // the fields each baseline entry was written without
    if (options->compare) {
        std::string text;
        if (!host.ReadFile(*options->compare, JsonLimits{}.maxBytes, text, error))
            return Fail(host, kExitNoBaseline, "cannot read the baseline " + *options->compare + ": " + error);
        if (!ReadBaseline(text, baseline, error, JsonLimits{}, &missing))
            return Fail(host, kExitBadBaseline, *options->compare + " is no baseline: " + error);
    }

    std::unique_ptr<IOutputFile> file;
    if (options->output) {
        file = host.CreateOutputFile(*options->output, error);
        if (!file) return Fail(host, kExitCannotWrite, "cannot write " + *options->output + ": " + error);
    }
    IOutput& output = file ? static_cast<IOutput&>(*file) : host.StandardOutput();
    const size_t cellColumns = CellColumnCount(categories);
    const CsvStyle csv{.formulasAsText = !options->csvRaw, .printable = !file && host.StandardOutputIsConsole()};

    bool complete = true;
    bool differs = false;
    if (options->compare) {
        std::vector<Record> current;
        complete = CollectRecords(platform, categories, [&](Record&& record) { current.push_back(std::move(record)); });
        const Differences differences = Compare(baseline, current, &missing);
        differs = differences.Any();
        WriteDifferences(differences, options->format, cellColumns, output, csv);
    } else {
        // Each category's entries are written as soon as it is read.
        ReportWriter writer(output, options->format, cellColumns, ComputerName(platform), csv);
        writer.Begin();
        complete = CollectRecords(platform, categories, [&](Record&& record) { writer.Add(record); });
        writer.End();
    }

    output.Flush();
    if (file && !file->Commit(error))
        return Fail(host, kExitCannotWrite, "cannot write " + *options->output + ": " + error);
    if (!file && !host.StandardOutputOk()) return Fail(host, kExitCannotWrite, "cannot write to standard output");
    if (!complete)
        host.StandardError(std::string(kProgramName) +
                           ": some locations could not be read; their entries carry the error\n");
    if (differs) return kExitDifferent;
    return complete ? kExitOk : kExitPartial;
}

}  // namespace qm::report
