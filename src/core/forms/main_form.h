// The main window's logic: the fifteen autostart categories, the start-up
// scan, the refresh when a tab is shown, and the events the toolkit reports.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/model/rows.h"
#include "platform/platform.h"
#include "core/registry.h"

namespace qm {

class TMainForm;
class TItemForm;
using Collector = void (*)(TMainForm&);

struct TColumn {
    const char* Caption;  // empty for a hidden column
    int Width;            // 0 for a hidden column
};

enum class ShowClears { None, Group, GroupActxLogs };
// A list's handler for drawing one cell of a row: it may change the font
// colour the cell is drawn in.
using CustomDrawSubItem = void (*)(const TEntryRow& item, std::uint32_t& fontColour);

// What a list's popup menu offers; the same for every list but the services
// list, which also has "&Disable Items...".
enum class ListCommand { Delete, Disable, JumpTo, Properties };

struct TAutostartCategory {
    const char* Sheet;          // "TabSheet2" ...
    const char* DesignCaption;  // until the first count caption is written
    const char* CountPrefix;
    int TabImage;
    TListView TMainForm::*List;
    std::array<TColumn, 5> Columns;
    int ColumnCount;
    const char* Menu;
    const char* PropertiesCaption;  // "&Properties" or "&Properties..."
    bool HasDisable;
    std::array<Collector, 9> Collectors;  // run in order; unused slots are null
    bool AttachAtStart;
    ShowClears Clears;
    CustomDrawSubItem OnCustomDrawSubItem;  // null: the list draws every cell itself
};

inline constexpr int kCategoryCount = 15;
// Indexed by tab position (tab 1 is index 0).
extern const std::array<TAutostartCategory, kCategoryCount> kCategories;


class TMainForm {
public:
    // Creating the form runs the start-up scan (FormCreate).
    explicit TMainForm(Platform& platform);
    ~TMainForm();

    Platform& platform;

    std::string Caption;
    std::array<std::string, kCategoryCount> TabCaptions;  // by tab position
    int ActivePage = 0;                                   // tab position, 0 is "HKCU / Run"
    bool Closed = false;
    bool Timer1Enabled = false;
    static constexpr int Timer1Interval = 5000;

    TListView hku{"hku"}, LV{"LV"}, comon{"comon"}, User{"User"}, runonce{"runonce"},
        hklmrunonce{"hklmrunonce"}, shellobject{"shellobject"}, runoncex{"runoncex"},
        InstCompo{"InstCompo"}, actx{"actx"}, logs{"logs"}, lorun{"lorun"}, explomac{"explomac"},
        explou{"explou"}, desktop{"desktop"};

    std::unique_ptr<TRegistry> SharedRegistry;
    // The Item Properties dialog, created hidden right after the start-up
    // scan and kept for the whole run.
    std::unique_ptr<TItemForm> ItemForm;
    std::string HKLMRunKeyPath, HKCURunKeyPath;

    TListView& ListOf(int tab) { return this->*kCategories.at(static_cast<size_t>(tab)).List; }
    int TabOf(const TListView& list) const;
    void UpdateCountCaption(int tab);
    void UpdateCountCaption(const TListView& list) { UpdateCountCaption(TabOf(list)); }

    // Events the toolkit reports. Each catches the program's failures and
    // shows them in the "Quellmark" error box, so none escapes to the caller.
    void FirstShow();               // the window is shown: the active page's show handler runs
    void SelectTab(int tab);        // a tab was clicked; the selected tab does not refresh
    void ListCommandClick(int tab, ListCommand command);
    void ListDblClick(int tab);
    void OKButtonClick() { Closed = true; }
    void Button1Click();
    void Timer1Timer();

    // Runs `action`, reporting a failure as the toolkit's error box does.
    void Guarded(const std::function<void()>& action);
    // The refresh of one tab: empty its list and the lists it clears, run its
    // collectors, write its count caption. Failures propagate.
    void ShowPage(int tab);

private:
    void FormCreate();
    void RunCollectors(int tab);
};

}  // namespace qm
