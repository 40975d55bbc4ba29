#include "forms/main_form.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "core/collectors/collector.h"
#include "core/errors.h"
#include "core/model/icons.h"
#include "core/privileges.h"
#include "forms/about_form.h"
#include "forms/changes_form.h"
#include "forms/item_form.h"

namespace qm {

namespace {

std::vector<EntryList> ListsOf(std::span<const Category> categories) {
    std::vector<EntryList> lists;
    for (const Category& category : categories) lists.emplace_back(category.id);
    return lists;
}

// The tabs in the order the start-up scan reads them.
std::vector<int> ScanOrder(std::span<const Category> categories) {
    std::vector<int> tabs(categories.size());
    std::iota(tabs.begin(), tabs.end(), 0);
    std::sort(tabs.begin(), tabs.end(), [&](int a, int b) {
        return categories[static_cast<size_t>(a)].scanPosition < categories[static_cast<size_t>(b)].scanPosition;
    });
    return tabs;
}

std::string ComputerNameText(ISystemInfo& system) {
    std::string name;
    return system.GetComputerName(256, name) ? name : std::string();
}

std::string UserNameText(ISystemInfo& system) {
    std::string buffer;
    std::uint32_t size = 255;
    if (!system.GetUserName(255, buffer, size)) return "Unknown";
    // The size returned counts the terminating NUL, in characters; the name
    // is the text before it.
    return size > 0 ? buffer.substr(0, buffer.find('\0')) : std::string();
}

}  // namespace

MainForm::MainForm(Platform& p, IToolkit& t, std::span<const Category> categories)
    : platform(p),
      toolkit(t),
      Categories(categories),
      Lists(ListsOf(categories)),
      SharedRegistry(std::make_unique<Registry>(p.registry)),
      itemDialog(std::make_unique<ItemForm>(p, t)),
      journal(p) {
    for (const Category& category : Categories) TabCaptions.emplace_back(category.designCaption);
}

MainForm::~MainForm() = default;

EntryList& MainForm::ListById(const std::string& id) {
    for (EntryList& list : Lists)
        if (list.id == id) return list;
    throw std::logic_error("the category table has no category " + id);
}

void MainForm::UpdateCountCaption(int tab) {
    TabCaptions.at(static_cast<size_t>(tab)) = CategoryOf(tab).countPrefix + std::to_string(ListOf(tab).Count()) + ")";
}

void MainForm::ScanAtStart() {
    // Off before anything is read or started: whatever this program starts
    // inherits its token (core/privileges.h).
    EnablePrivilege(platform, kDebugPrivilege, false);
    // Creating the window reports a failure of the scan and goes on.
    Guarded([this] {
        Caption = std::string(kAppTitle) + "  -  [" + ComputerNameText(platform.system) + "/" +
                  UserNameText(platform.system) + "]";
        for (int tab : ScanOrder(Categories)) ScanTab(tab);
        // The calls are the same for every list, so the order of the lists is no matter.
        for (int tab = 0; tab < TabCount(); ++tab)
            if (CategoryOf(tab).imageListsAtStart) AttachSystemImageLists(platform, ListOf(tab));
    });
}

void MainForm::ScanTab(int tab) {
    const Category& category = CategoryOf(tab);
    EntryList& list = ListOf(tab);
    SystemIcons icons(platform, category.imageListsPerRow ? &list : nullptr);
    ScanContext context{platform, *SharedRegistry, &icons};
    ScanResult result = Collect(category, context);
    for (Entry& row : result.rows) list.Add() = std::move(row);
    if (!result.failure) {
        UpdateCountCaption(tab);
        return;
    }
    // The value-list collector has always written the count after each
    // complete row, so its caption counts them; the others' callers write it
    // only when the collector is done.
    if (std::holds_alternative<ValueList>(category.source) && !result.rows.empty()) UpdateCountCaption(tab);
    if (result.unfinished) list.Add() = std::move(*result.unfinished);
    throw QuellmarkError(*result.failure);
}

void MainForm::Refill(int tab) {
    ListOf(tab).Clear();
    ScanTab(tab);
}

void MainForm::ShowPage(int tab) {
    const unsigned clears = CategoryOf(tab).showClears;
    ListOf(tab).Clear();
    for (int other = 0; other < TabCount(); ++other)
        if (CategoryOf(other).group & clears) ListOf(other).Clear();
    ScanTab(tab);
}

void MainForm::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        platform.dialogs.Show({DialogKind::Error, kAppTitle, ErrorBoxText(e.what())});
    }
}

void MainForm::FirstShow() {
    Guarded([this] { ShowPage(ActivePage); });
}

void MainForm::SelectTab(int tab) {
    if (tab == ActivePage || tab < 0 || tab >= TabCount()) return;
    ActivePage = tab;
    Guarded([this, tab] { ShowPage(tab); });
}

void MainForm::TakeOutcome(int tab, int index, Outcome outcome) {
    switch (outcome) {
        case Outcome::NothingDone:
        case Outcome::Changed:
            break;
        case Outcome::EntryGone:
            ListOf(tab).Delete(index);
            UpdateCountCaption(tab);
            break;
        case Outcome::PlaceReread:
            Refill(tab);
            break;
        case Outcome::ServiceMarked:
            // A report already due keeps its first deadline: one report
            // answers every deletion made before it.
            deletionReportDue = true;
            break;
    }
}

void MainForm::ListCommandClick(int tab, ListCommand command) {
    if (tab < 0 || tab >= TabCount()) return;
    Guarded([this, tab, command] {
        const Category& category = CategoryOf(tab);
        EntryList& list = ListOf(tab);
        const Entry* selected = list.Selected();
        const int index = list.SelectedIndex();
        ActionContext context{platform, *SharedRegistry, platform.dialogs, journal};
        switch (command) {
            case ListCommand::Delete:
                TakeOutcome(tab, index, DeleteEntry(context, category, selected));
                break;
            case ListCommand::Disable:
                if (category.canDisable && selected)
                    TakeOutcome(tab, index, DisableService(context, category, *selected, category.disableAsks));
                break;
            case ListCommand::JumpTo:
                if (selected) JumpTo(platform, category, *selected);
                break;
            case ListCommand::Properties:
                if (selected && itemDialog) itemDialog->ShowEntry(category, *selected);
                break;
            case ListCommand::ToggleStartup:
                if (HasStartupSwitch(category) && selected) TakeOutcome(tab, index, ToggleStartup(context, category, *selected));
                break;
        }
    });
}

std::optional<std::string> MainForm::StartupToggleCaption(int tab) {
    if (tab < 0 || tab >= TabCount() || !HasStartupSwitch(CategoryOf(tab))) return std::nullopt;
    return qm::StartupToggleCaption(ListOf(tab).Selected());
}

void MainForm::ListDblClick(int tab) { ListCommandClick(tab, ListCommand::Properties); }

void MainForm::ShowAbout() {
    Guarded([this] { ShowAboutDialog(*this); });
}

void MainForm::ShowChanges() {
    if (changesShown) return;
    Guarded([this] {
        changesShown = true;
        struct Shown {
            bool& flag;
            ~Shown() { flag = false; }
        } shown{changesShown};
        ShowChangesDialog(*this);
    });
}

void MainForm::ReportServiceDeletions() {
    Guarded([this] {
        // The window stops its system timer only once a handler has
        // returned, so a tick can still arrive while the message box below
        // is open; it finds no report due and is dropped, as a stopped
        // timer delivers none.
        if (!deletionReportDue) return;
        // Off before the message box, whose message loop goes on delivering
        // ticks: the report is shown once, however many ticks come.
        deletionReportDue = false;
        platform.dialogs.Show({DialogKind::Plain, kAppTitle, "Successful Delete..."});
        for (int other = 0; other < TabCount(); ++other)
            if (CategoryOf(other).removal == Removal::Service) Refill(other);
    });
}

}  // namespace qm
