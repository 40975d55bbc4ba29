// The report program: its command line, the report or the comparison, and
// the exit code. What the program reads and writes besides the machine
// (standard output and error, the baseline, the output file) it asks of
// its host, so that the same logic runs on the real and the simulated machine.
#pragma once
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/categories/category.h"
#include "platform/platform.h"
#include "report/formats.h"

namespace qm::report {

// A file written whole or not at all: the bytes go to a new temporary file
// beside it, which Commit puts in its place. Destroyed without a Commit, or
// after one that failed, the temporary file is gone and any old file of
// the name is as it was.
class IOutputFile : public IOutput {
public:
    // False with `error` when any write failed or the file could not be put in place.
    virtual bool Commit(std::string& error) = 0;
};

class IReportHost {
public:
    virtual ~IReportHost() = default;
    virtual IOutput& StandardOutput() = 0;
    // False once a write to standard output failed.
    virtual bool StandardOutputOk() = 0;
    // Whether standard output is a console (a person reads it), not a file
    // or a pipe; a host that does not say is none.
    virtual bool StandardOutputIsConsole() { return false; }
    virtual void StandardError(std::string_view text) = 0;
    // The whole file, at most `limit` bytes; false with `error` otherwise.
    virtual bool ReadFile(const std::string& path, size_t limit, std::string& contents, std::string& error) = 0;
    // None with `error` when the temporary file cannot be made.
    virtual std::unique_ptr<IOutputFile> CreateOutputFile(const std::string& path, std::string& error) = 0;
};

// Runs the program with its arguments (UTF-8, without the program's name)
// over `categories`; returns the exit code.
int RunReport(Platform& platform, std::span<const Category> categories, const std::vector<std::string>& arguments,
              IReportHost& host);

}  // namespace qm::report
