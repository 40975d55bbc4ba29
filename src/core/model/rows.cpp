#include "core/model/rows.h"

namespace qm {

Entry& EntryList::Add() {
    ++version_;
    return rows_.emplace_back();
}

void EntryList::Clear() {
    rows_.clear();
    selected_ = focused_ = -1;
    ++version_;
}

void EntryList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    rows_.erase(rows_.begin() + index);
    for (int* mark : {&selected_, &focused_}) {
        if (*mark == index) *mark = -1;
        else if (*mark > index) --*mark;
    }
    ++version_;
}

void EntryList::SetSelection(int selected, int focused) {
    selected_ = (selected >= 0 && selected < Count()) ? selected : -1;
    focused_ = (focused >= 0 && focused < Count()) ? focused : -1;
}

Entry* EntryList::Selected() { return selected_ >= 0 ? &rows_[static_cast<size_t>(selected_)] : nullptr; }

void EntryList::EditCaption(int index, const std::string& caption) {
    if (index < 0 || index >= Count()) return;
    rows_[static_cast<size_t>(index)].name = caption;
    ++version_;
}

void EntryList::SetImageList(int kind, ImageListHandle imageList) {
    ImageListHandle& slot = kind == kLvsilSmall ? smallImages_ : largeImages_;
    if (slot != imageList) ++version_;
    slot = imageList;
}

}  // namespace qm
