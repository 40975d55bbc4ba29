// The collectors: each reads one kind of autostart location and returns the
// rows it found, with the failure that stopped it, if any, and the row it
// was reading then. They need no window: the main form applies their result
// to its lists, and a program without a window can print it.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/categories/category.h"
#include "core/model/icons.h"
#include "core/model/rows.h"
#include "platform/platform.h"

namespace qm {

class Registry;
class StartupStateReader;

struct ScanResult {
    std::vector<Entry> rows;             // complete rows, in the order read (none with a sink)
    std::optional<Entry> unfinished;     // the row being read when the failure came, as far as it got
    std::optional<std::string> failure;  // the message of the failure that stopped the collector
};

// Where a program that prints rows as they come takes each complete row.
class IRowSink {
public:
    virtual ~IRowSink() = default;
    virtual void RowDone(Entry&& row) = 0;
};

struct ScanContext {
    Platform& platform;
    // The accessor the value-list collector reads through (SharedRegistry):
    // a failure leaves its key open, and the next user closes it.
    Registry& sharedRegistry;
    IRowIcons* icons = nullptr;  // none: the rows keep image 0
    IRowSink* sink = nullptr;    // set: complete rows go there, not into the result
    // Set by Collect for a category whose entries Explorer keeps a state of.
    StartupStateReader* states = nullptr;
};

// Runs the collector of `source`. Failures the collector raises end it and
// come back in the result; the rows before them stay.
ScanResult Collect(const Source& source, ScanContext& context);
// The same for a category: each row also with the state Explorer keeps of
// whether Windows starts it, where the category has one.
ScanResult Collect(const Category& category, ScanContext& context);

// The rows of one collector run, and the row it is reading.
class RowReader {
public:
    // A new row; the one before it must have been finished.
    Entry& Start() { return current_.emplace(); }
    // The row is read: the window gives it its icon, then it is complete.
    void Finish(ScanContext& context, const IconSource& icon);
    ScanResult Result() && { return std::move(result_); }
    ScanResult Failed(const std::string& message) &&;

private:
    ScanResult result_;
    std::optional<Entry> current_;
};

// The collectors by kind; Collect picks one by the source.
void ScanValueList(const ValueList& source, ScanContext& context, RowReader& rows);
void ScanNamedValues(const NamedValues& source, ScanContext& context, RowReader& rows);
void ScanStartupFolders(const StartupFolder& source, ScanContext& context, RowReader& rows);
void ScanServices(ScanContext& context, RowReader& rows);
void ScanInstalledComponents(const InstalledComponents& source, ScanContext& context, RowReader& rows);
void ScanAutoStartServices(ScanContext& context, RowReader& rows);
void ScanSystemHooks(const SystemHooks& source, ScanContext& context, RowReader& rows);
void ScanScheduledTasks(ScanContext& context, RowReader& rows);

// What a row shows for a key that exists but refused to be read: "access
// denied", or the error it refused with. Empty when the key just is not there.
std::string RefusalText(long openError);
// A service's start type as the rows show it: "boot", "system",
// "automatic", "on demand", "disabled", or "start 0x..".
std::string ServiceStartText(std::uint32_t startType);
// Why a service row names no path.
inline constexpr const char* kServiceConfigurationUnread = "the service's configuration cannot be read";

// The path of a shell special folder; empty when the shell cannot give it.
std::string GetSpecialFolderPath(Platform& platform, int csidl);
// The target stored in a shortcut file; empty for any other file. Raises the
// COM error when the shell link object cannot be created.
std::string ResolveShortcut(Platform& platform, const std::string& path);

}  // namespace qm
