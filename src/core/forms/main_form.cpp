#include "core/forms/main_form.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "core/actions/actions.h"
#include "core/collectors/collector.h"
#include "core/errors.h"
#include "core/forms/about_form.h"
#include "core/forms/item_form.h"
#include "core/inspect/properties.h"
#include "core/model/icons.h"

namespace qm {

namespace {

std::vector<TListView> ListsOf(std::span<const Category> categories) {
    std::vector<TListView> lists;
    lists.reserve(categories.size());  // never grows again: the named references stay valid
    for (const Category& category : categories) lists.emplace_back(category.list);
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

TMainForm::TMainForm(Platform& p, IToolkit& t, std::span<const Category> categories)
    : platform(p),
      toolkit(t),
      Categories(categories),
      Lists(ListsOf(categories)),
      hku(ListNamed("hku")),
      LV(ListNamed("LV")),
      comon(ListNamed("comon")),
      User(ListNamed("User")),
      runonce(ListNamed("runonce")),
      hklmrunonce(ListNamed("hklmrunonce")),
      shellobject(ListNamed("shellobject")),
      runoncex(ListNamed("runoncex")),
      InstCompo(ListNamed("InstCompo")),
      actx(ListNamed("actx")),
      logs(ListNamed("logs")),
      lorun(ListNamed("lorun")),
      explomac(ListNamed("explomac")),
      explou(ListNamed("explou")),
      desktop(ListNamed("desktop")),
      SharedRegistry(std::make_unique<TRegistry>(p.registry)),
      ItemForm(std::make_unique<TItemForm>(p, t)) {
    for (const Category& category : Categories) TabCaptions.emplace_back(category.designCaption);
}

TMainForm::~TMainForm() = default;

TListView& TMainForm::ListNamed(const std::string& name) {
    for (TListView& list : Lists)
        if (list.Name == name) return list;
    throw std::logic_error("the category table has no list " + name);
}

void TMainForm::UpdateCountCaption(int tab) {
    TabCaptions.at(static_cast<size_t>(tab)) = CategoryOf(tab).countPrefix + std::to_string(ListOf(tab).Count()) + ")";
}

void TMainForm::FormCreate() {
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

void TMainForm::ScanTab(int tab) {
    const Category& category = CategoryOf(tab);
    TListView& list = ListOf(tab);
    SystemIcons icons(platform, category.imageListsPerRow ? &list : nullptr);
    ScanContext context{platform, *SharedRegistry, &icons};
    ScanResult result = Collect(category.source, context);
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

void TMainForm::Refill(int tab) {
    ListOf(tab).Clear();
    ScanTab(tab);
}

void TMainForm::ShowPage(int tab) {
    const unsigned clears = CategoryOf(tab).showClears;
    ListOf(tab).Clear();
    for (int other = 0; other < TabCount(); ++other)
        if (CategoryOf(other).group & clears) ListOf(other).Clear();
    ScanTab(tab);
}

void TMainForm::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        platform.dialogs.Show({DialogKind::Error, kAppTitle, ErrorBoxText(e.what())});
    }
}

void TMainForm::FirstShow() {
    Guarded([this] { ShowPage(ActivePage); });
}

void TMainForm::SelectTab(int tab) {
    if (tab == ActivePage || tab < 0 || tab >= TabCount()) return;
    ActivePage = tab;
    Guarded([this, tab] { ShowPage(tab); });
}

void TMainForm::ListCommandClick(int tab, ListCommand command) {
    if (tab < 0 || tab >= TabCount()) return;
    Guarded([this, tab, command] {
        switch (command) {
            case ListCommand::Delete:
                DeleteItemsClick(*this, tab);
                break;
            case ListCommand::Disable:
                if (CategoryOf(tab).canDisable) DisableItems1Click(*this, tab);
                break;
            case ListCommand::JumpTo:
                JumpToClick(*this, tab);
                break;
            case ListCommand::Properties:
                ListPropertiesClick(*this, tab);
                break;
        }
    });
}

void TMainForm::ListDblClick(int tab) { ListCommandClick(tab, ListCommand::Properties); }

void TMainForm::Button1Click() {
    Guarded([this] { ShowAboutDialog(*this); });
}

void TMainForm::Timer1Timer() {
    Guarded([this] { qm::Timer1Timer(*this); });
}

}  // namespace qm
