// Entry rows and the lists that hold them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/location.h"
#include "platform/constants.h"

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

// One entry: the texts its list shows (the caption, which the user may edit
// in place, and the sub-items), its icon, and where it lives.
struct TEntryRow {
    std::string Caption;
    TSubItems SubItems;
    int ImageIndex = 0;
    int StateIndex = -1;
    Location Where;
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

    void SetImageList(int kind, ImageListHandle imageList);
    ImageListHandle SmallImages() const { return smallImages_; }
    ImageListHandle LargeImages() const { return largeImages_; }

    // Bumped on every change, so the toolkit redraws only what changed.
    std::uint64_t Version() const { return version_; }

private:
    std::vector<TEntryRow> rows_;
    int selected_ = -1;
    int focused_ = -1;
    ImageListHandle smallImages_;
    ImageListHandle largeImages_;
    std::uint64_t version_ = 0;
};

}  // namespace qm
