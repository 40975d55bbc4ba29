// Entry rows, the lists that hold them, target paths and icon routines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "errors.h"
#include "platform/platform.h"

namespace qm {

// The sub-item texts of a row. Reading past the end fails the way the
// program's lists always have: "List index out of bounds (%d)".
class TSubItems {
public:
    const std::string& operator[](int index) const;
    std::string& operator[](int index);
    void Add(std::string text) { items_.push_back(std::move(text)); }
    int Count() const { return static_cast<int>(items_.size()); }
    const std::vector<std::string>& All() const { return items_; }

private:
    void Check(int index) const;
    std::vector<std::string> items_;
};

struct TEntryRow {
    std::string Caption;
    TSubItems SubItems;
    int ImageIndex = 0;
    int StateIndex = -1;
};

// One category list: its rows, the selected and the focused row, and the
// system image lists it shows. The toolkit draws it and reports selection
// and in-place caption edits back.
class TListView {
public:
    explicit TListView(std::string name) : Name(std::move(name)) {}

    const std::string Name;

    TEntryRow& Add();
    void Clear();
    // Removes one row; the selection and focus follow the rows that stay.
    void Delete(int index);
    int Count() const { return static_cast<int>(rows_.size()); }
    TEntryRow& Row(int index) { return rows_.at(static_cast<size_t>(index)); }
    const TEntryRow& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }
    const std::vector<TEntryRow>& Rows() const { return rows_; }

    // Selection as the user left it; -1 when absent.
    void SetSelection(int selected, int focused);
    int SelectedIndex() const { return selected_; }
    int FocusedIndex() const { return focused_; }
    TEntryRow* Selected();

    // An in-place edit of a row's caption; stays until the list is refilled.
    void EditCaption(int index, const std::string& caption);

    void SetImageList(int kind, Handle imageList);
    Handle SmallImages() const { return smallImages_; }
    Handle LargeImages() const { return largeImages_; }

    // Bumped on every change, so the toolkit redraws only what changed.
    std::uint64_t Version() const { return version_; }

private:
    std::vector<TEntryRow> rows_;
    int selected_ = -1;
    int focused_ = -1;
    Handle smallImages_ = 0;
    Handle largeImages_ = 0;
    std::uint64_t version_ = 0;
};

// Text routines.
std::string ReplaceAll(const std::string& text, const std::string& sub, const std::string& replacement);
std::string LowerAscii(std::string text);
std::string TrimControl(const std::string& text);  // drops leading/trailing chars <= 32
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
std::string ExtractTargetPath(const std::string& commandLine, const std::string& marker);
// The folder part of a path: up to its last backslash or colon, leaving out
// that backslash unless a backslash or colon comes right before it ("c:\\a.exe"
// gives "c:\\"); empty when there is neither, and when that backslash is
// the path's first character ("\\x.exe" gives no folder, where keeping the
// backslash would name the root of whatever drive is current).
std::string ExtractFileDir(const std::string& path);

// Icons and the privilege switch that precedes the shell calls.
bool EnablePrivilege(Platform& platform, const std::string& name, bool enable);
int GetSysIconIndex(Platform& platform, const std::string& pathOrName);
Handle GetFileIcon(Platform& platform, const std::string& path, bool small);
void AttachSystemImageLists(Platform& platform, TListView& list);

}  // namespace qm
