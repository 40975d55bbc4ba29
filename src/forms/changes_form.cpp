#include "forms/changes_form.h"

#include <algorithm>

#include "core/errors.h"
#include "forms/main_form.h"

namespace qm {

namespace {

// Clears a flag when the scope ends, however it ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

ChangesForm::ChangesForm(MainForm& owner) : mainForm(owner) {}

const JournalItem* ChangesForm::Selected() const {
    if (selected_ < 0 || selected_ >= RowCount()) return nullptr;
    return &items_[static_cast<size_t>(selected_)];
}

std::string ChangesForm::StatusText() const {
    if (!problem_.empty()) return "The journal cannot be read: " + problem_;
    if (items_.empty()) return "No changes recorded.";
    const auto damaged = static_cast<std::size_t>(
        std::count_if(items_.begin(), items_.end(), [](const JournalItem& item) { return !item.record; }));
    std::string text = Counted(items_.size(), "change", "changes");
    if (damaged) text += " (" + std::to_string(damaged) + " damaged)";
    const std::string folder = mainForm.journal.FolderPath();
    if (!folder.empty()) text += ", kept in " + folder;
    return text;
}

void ChangesForm::Read() {
    const std::string selectedFile = Selected() ? Selected()->file : std::string();
    std::vector<JournalItem> items;
    std::string why;
    const bool read = mainForm.journal.List(items, why);
    std::vector<ChangeCells> cells;
    if (read) {
        cells.reserve(items.size());
        for (const JournalItem& item : items) cells.push_back(CellsOf(mainForm.platform, item));
    } else {
        items.clear();
        // A journal that fails without a reason still says it failed.
        if (why.empty()) why = "the folder could not be listed";
    }
    items_ = std::move(items);
    cells_ = std::move(cells);
    problem_ = read ? std::string() : why;
    selected_ = -1;
    for (int row = 0; !selectedFile.empty() && row < RowCount(); ++row)
        if (items_[static_cast<size_t>(row)].file == selectedFile) selected_ = row;
    ++version_;
}

void ChangesForm::Select(int row) {
    if (busy_) return;
    const int selected = row >= 0 && row < RowCount() ? row : -1;
    if (selected == selected_) return;
    selected_ = selected;
    ++version_;
}

template <class Command>
void ChangesForm::Act(Command&& command) {
    if (busy_ || !Selected()) return;
    // A copy: reading the journal again, or anything the message loop runs
    // while a question is open, cannot change the record acted on.
    const JournalItem item = *Selected();
    {
        BusyScope busy(busy_);
        ++version_;
        mainForm.Guarded([&] { command(item); });
    }
    mainForm.Guarded([this] { Read(); });
}

void ChangesForm::RefillListsOf(const ChangeRecord& record) {
    // The tab the entry was listed on; a service may show on both services
    // lists, as after its deletion.
    for (int tab = 0; tab < mainForm.TabCount(); ++tab) {
        const Category& category = mainForm.CategoryOf(tab);
        const bool listed = record.category == category.id || (record.service && category.removal == Removal::Service);
        if (listed) mainForm.Guarded([this, tab] { mainForm.Refill(tab); });
    }
}

void ChangesForm::RestoreClick() {
    Act([this](const JournalItem& item) {
        Platform& platform = mainForm.platform;
        if (!item.record) {
            platform.dialogs.Show(
                {DialogKind::Error, "Error", FormatMessage1<std::string>(kDamagedRecord, item.damage)});
            return;
        }
        ActionContext context{platform, *mainForm.SharedRegistry, platform.dialogs, mainForm.journal};
        if (RestoreChange(context, item)) RefillListsOf(*item.record);
    });
}

void ChangesForm::ForgetClick() {
    Act([this](const JournalItem& item) {
        Platform& platform = mainForm.platform;
        ActionContext context{platform, *mainForm.SharedRegistry, platform.dialogs, mainForm.journal};
        ForgetChange(context, item);
    });
}

void ShowChangesDialog(MainForm& owner) {
    ChangesForm form(owner);  // gone when this returns or throws
    form.Read();
    owner.toolkit.ShowChangesModal(form);
}

}  // namespace qm
