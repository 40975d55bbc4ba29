// Entry rows and the lists that hold them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/location.h"
#include "platform/constants.h"

namespace qm {

// What a row's colour and the report say about an entry, as its collector
// decided it from what it read.
enum class Mark {
    None,
    NoAutorunEntry,  // a fixed place that holds no command
    SuspectMalware,  // an installed component without an identifier
    NotLoaded,       // a hook the system does not load (its switch is off)
    Disabled,        // a task its definition disables, an entry Explorer keeps disabled
};

// Whether Windows starts an entry of a Run key or a Startup folder, as
// Explorer keeps it (Task Manager's and Settings' Disable write it): a
// REG_BINARY value of the entry's name below ...\Explorer\StartupApproved,
// 12 bytes, the first even for enabled and odd for disabled, the last 8 the
// FILETIME it was disabled at. No value: Windows starts the entry.
struct StartupState {
    enum class Kind {
        NotKept,   // no value of the entry's name: Windows starts it
        Enabled,   // the value's first byte is even
        Disabled,  // odd: Windows does not start the entry
        Unknown,   // a value the rule cannot read: not REG_BINARY, or empty
    };
    Kind kind = Kind::NotKept;
    std::uint64_t disabledAt = 0;  // the FILETIME (UTC) a disabled value names; 0: none
    // The value is not the 12 bytes of REG_BINARY Explorer writes: its type
    // and size, as the row shows them.
    bool unusual = false;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    RegistryLocation at{};  // where the value is kept, or would be written
};

// What a service row shows besides its name and command.
struct ServiceFacts {
    std::string displayName{};
    std::string type{};
    std::string start{};
    std::string state{};
    std::string commandLine{};  // as the service control manager keeps it
};

// What a task row shows besides its path and file.
struct TaskFacts {
    std::string actions{};   // every action's command and arguments
    std::string triggers{};  // what starts it
    // Whether its definition enables it; none when it could not be read.
    std::optional<bool> enabled{};
};

// One autostart entry, as its collector read it. The windows and the report
// render it through its category's columns; nothing is read back out of a
// shown text.
struct Entry {
    // The name the entry is stored under (the list's first column); the user
    // may edit it in place, and a deletion by name takes the edited one.
    std::string name{};
    // What the entry starts, as stored: a command line, or, for a category
    // whose collector resolves it (a service's image, a task's program, a
    // hook's DLL), the file itself. For a value that is no text, its type
    // and size; for a place without a value, "No Autorun Entry"; for a
    // place that refused reading, why.
    std::string command{};
    // The registry type of a value whose data is not text: the command then
    // names that type and size, and starts nothing.
    std::optional<std::uint32_t> valueType{};
    Mark mark = Mark::None;
    // Why the entry's place could not be read; empty when it could.
    std::string problem{};
    Location where{};
    int image = 0;              // in the system image list
    std::string componentId{};  // an installed component's identifier
    std::string hookKind{};     // what kind of system hook, of which key, and whether it is loaded
    ServiceFacts service{};
    TaskFacts task{};
    // None: Windows keeps no such state for the entry's category.
    std::optional<StartupState> startup{};
};

// One category list: its rows, the selected and the focused row, and the
// system image lists it shows. The toolkit draws it and reports selection
// and in-place caption edits back.
class EntryList {
public:
    explicit EntryList(std::string id) : id(std::move(id)) {}

    const std::string id;  // its category's

    Entry& Add();
    void Clear();
    // Removes one row; the selection and focus follow the rows that stay.
    void Delete(int index);
    int Count() const { return static_cast<int>(rows_.size()); }
    Entry& Row(int index) { return rows_.at(static_cast<size_t>(index)); }
    const Entry& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }
    const std::vector<Entry>& Rows() const { return rows_; }

    // Selection as the user left it; -1 when absent.
    void SetSelection(int selected, int focused);
    int SelectedIndex() const { return selected_; }
    int FocusedIndex() const { return focused_; }
    Entry* Selected();

    // An in-place edit of a row's caption; stays until the list is refilled.
    void EditCaption(int index, const std::string& caption);

    void SetImageList(int kind, ImageListHandle imageList);
    ImageListHandle SmallImages() const { return smallImages_; }
    ImageListHandle LargeImages() const { return largeImages_; }

    // Bumped on every change, so the toolkit redraws only what changed.
    std::uint64_t Version() const { return version_; }

private:
    std::vector<Entry> rows_;
    int selected_ = -1;
    int focused_ = -1;
    ImageListHandle smallImages_;
    ImageListHandle largeImages_;
    std::uint64_t version_ = 0;
};

}  // namespace qm
