#include "core/collectors/collector.h"

#include <exception>
#include <utility>

#include "core/collectors/startup_states.h"

namespace qm {

void RowReader::Finish(ScanContext& context, const IconSource& icon) {
    if (context.states) context.states->Fill(*current_);
    if (context.icons) context.icons->RowRead(*current_, icon);
    if (context.sink) context.sink->RowDone(std::move(*current_));
    else result_.rows.push_back(std::move(*current_));
    current_.reset();
}

ScanResult RowReader::Failed(const std::string& message) && {
    result_.failure = message;
    result_.unfinished = std::move(current_);
    return std::move(result_);
}

std::string RefusalText(long openError) {
    if (openError == kErrorSuccess || openError == kErrorFileNotFound || openError == kErrorPathNotFound) return {};
    if (openError == kErrorAccessDenied) return "access denied";
    return "cannot be read (error " + std::to_string(openError) + ")";
}

namespace {

struct CollectorOf {
    ScanContext& context;
    RowReader& rows;
    void operator()(const ValueList& source) const { ScanValueList(source, context, rows); }
    void operator()(const NamedValues& source) const { ScanNamedValues(source, context, rows); }
    void operator()(const StartupFolder& source) const { ScanStartupFolders(source, context, rows); }
    void operator()(const RunningServices&) const { ScanServices(context, rows); }
    void operator()(const InstalledComponents& source) const { ScanInstalledComponents(source, context, rows); }
    void operator()(const AutoStartServices&) const { ScanAutoStartServices(context, rows); }
    void operator()(const SystemHooks& source) const { ScanSystemHooks(source, context, rows); }
    void operator()(const ScheduledTasks&) const { ScanScheduledTasks(context, rows); }
};

}  // namespace

ScanResult Collect(const Source& source, ScanContext& context) {
    RowReader rows;
    try {
        std::visit(CollectorOf{context, rows}, source);
    } catch (const std::exception& e) {
        return std::move(rows).Failed(e.what());
    }
    return std::move(rows).Result();
}

ScanResult Collect(const Category& category, ScanContext& context) {
    if (!category.approval) return Collect(category.source, context);
    StartupStateReader states(context.platform, *category.approval);
    StartupStateReader* const before = std::exchange(context.states, &states);
    ScanResult result = Collect(category.source, context);
    context.states = before;
    return result;
}

}  // namespace qm
