// The main window's logic: one list per autostart category, the start-up
// scan, the refresh when a tab is shown, and the events the toolkit reports.
#pragma once
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/categories/table.h"
#include "core/forms/toolkit.h"
#include "core/model/rows.h"
#include "core/registry.h"
#include "platform/platform.h"

namespace qm {

class TItemForm;

// What a list's popup menu offers; the same for every list but the services
// list, which also has "&Disable Items...".
enum class ListCommand { Delete, Disable, JumpTo, Properties };

class TMainForm {
public:
    // Making the form asks nothing of the machine; the start-up scan is
    // FormCreate, which whoever shows the form calls first. `categories` is
    // the category table, one tab per row.
    TMainForm(Platform& platform, IToolkit& toolkit, std::span<const Category> categories = kCategories);
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    Platform& platform;
    IToolkit& toolkit;
    const std::span<const Category> Categories;

    std::string Caption;
    std::vector<std::string> TabCaptions;  // by tab position
    int ActivePage = 0;                    // tab position, 0 is "HKCU / Run"
    bool Closed = false;
    bool Timer1Enabled = false;
    static constexpr int Timer1Interval = 5000;

    // The category lists by tab position, and the first fifteen under the names
    // the first design gave them.
    std::vector<TListView> Lists;
    TListView &hku, &LV, &comon, &User, &runonce, &hklmrunonce, &shellobject, &runoncex, &InstCompo, &actx, &logs,
        &lorun, &explomac, &explou, &desktop;

    std::unique_ptr<TRegistry> SharedRegistry;
    // The Item Properties dialog, hidden until the first properties request
    // and kept for the whole run.
    std::unique_ptr<TItemForm> ItemForm;

    int TabCount() const { return static_cast<int>(Categories.size()); }
    const Category& CategoryOf(int tab) const { return Categories[static_cast<size_t>(tab)]; }
    TListView& ListOf(int tab) { return Lists.at(static_cast<size_t>(tab)); }
    TListView& ListNamed(const std::string& name);
    void UpdateCountCaption(int tab);

    // Events the toolkit reports. Each catches the program's failures and
    // shows them in the "Quellmark" error box, so none escapes to the caller.
    void FormCreate();        // the start-up scan, before the window is first shown
    void FirstShow();         // the window is shown: the active page's show handler runs
    void SelectTab(int tab);  // a tab was clicked; the selected tab does not refresh
    void ListCommandClick(int tab, ListCommand command);
    void ListDblClick(int tab);
    void OKButtonClick() { Closed = true; }
    void Button1Click();
    void Timer1Timer();

    // Runs `action`, reporting a failure as the toolkit's error box does.
    void Guarded(const std::function<void()>& action);
    // The refresh of one tab when it is shown: its list and the lists its
    // show clears are emptied, then the tab is read again. Failures propagate.
    void ShowPage(int tab);
    // A tab's own list emptied and read again, as after a deletion.
    void Refill(int tab);
    // Runs the tab's collector, appends the rows to its list and writes its
    // count caption. A failure leaves the rows read before it (and the row it
    // came in, as far as it was read), and is raised again.
    void ScanTab(int tab);
};

}  // namespace qm
