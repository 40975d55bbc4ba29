// The main window's logic: one list per autostart category, the start-up
// scan, the refresh when a tab is shown, and the events the toolkit reports.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/actions/actions.h"
#include "core/categories/table.h"
#include "core/model/rows.h"
#include "core/registry.h"
#include "forms/toolkit.h"
#include "platform/platform.h"

namespace qm {

class ItemForm;

// What a list's popup menu offers; the same for every list but the services
// lists, which also have "&Disable Items...", and the lists whose entries
// Explorer keeps a startup state of, which have "Disa&ble" or "&Enable".
enum class ListCommand { Delete, Disable, JumpTo, Properties, ToggleStartup };

class MainForm {
public:
    // Making the form asks nothing of the machine; the start-up scan is
    // ScanAtStart, which whoever shows the form calls first. `categories` is
    // the category table, one tab per row.
    MainForm(Platform& platform, IToolkit& toolkit, std::span<const Category> categories = kCategories);
    ~MainForm();
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    Platform& platform;
    IToolkit& toolkit;
    const std::span<const Category> Categories;

    std::string Caption;
    std::vector<std::string> TabCaptions;  // by tab position
    int ActivePage = 0;                    // tab position, 0 is "HKCU / Run"
    bool Closed = false;
    // A service deletion the manager accepted is reported this long after
    // it, once for every deletion made meanwhile; the window runs the timer
    // while the report is due.
    bool deletionReportDue = false;
    static constexpr int kDeletionReportDelayMs = 5000;

    // The category lists by tab position; each list's id is its category's.
    std::vector<EntryList> Lists;

    std::unique_ptr<Registry> SharedRegistry;
    // The Item Properties dialog, hidden until the first properties request
    // and kept for the whole run.
    std::unique_ptr<ItemForm> itemDialog;
    // Where every change is written down before it is made.
    Journal journal;
    bool changesShown = false;  // the Changes window is open

    int TabCount() const { return static_cast<int>(Categories.size()); }
    const Category& CategoryOf(int tab) const { return Categories[static_cast<size_t>(tab)]; }
    EntryList& ListOf(int tab) { return Lists.at(static_cast<size_t>(tab)); }
    EntryList& ListById(const std::string& id);
    void UpdateCountCaption(int tab);

    // Events the toolkit reports. Each catches the program's failures and
    // shows them in the "Quellmark" error box, so none escapes to the caller.
    void ScanAtStart();       // the start-up scan, before the window is first shown
    void FirstShow();         // the window is shown: the active page's show handler runs
    void SelectTab(int tab);  // a tab was clicked; the selected tab does not refresh
    void ListCommandClick(int tab, ListCommand command);
    void ListDblClick(int tab);
    // The caption of the menu's startup item for the selected row of `tab`:
    // "Disa&ble" or "&Enable"; none when the row has no such state (or none
    // is selected), and the item is then unavailable.
    std::optional<std::string> StartupToggleCaption(int tab);
    void OKButtonClick() { Closed = true; }
    void ShowAbout();
    // "Changes..." (and Ctrl+Z): the change journal's window, modal; asked
    // again while it is open, nothing happens.
    void ShowChanges();
    // The deletion report is due: "Successful Delete...", then every
    // services list read again.
    void ReportServiceDeletions();

    // Runs `action`, reporting a failure as the toolkit's error box does.
    void Guarded(const std::function<void()>& action);
    // The refresh of one tab when it is shown: its list and the lists its
    // show clears are emptied, then the tab is read again. Failures propagate.
    void ShowPage(int tab);
    // A tab's own list emptied and read again, as after a deletion.
    void Refill(int tab);
    // What the list of `tab` does after an action on its selected row, which
    // was at `index` when the action began.
    void TakeOutcome(int tab, int index, Outcome outcome);
    // Runs the tab's collector, appends the rows to its list and writes its
    // count caption. A failure leaves the rows read before it (and the row it
    // came in, as far as it was read), and is raised again.
    void ScanTab(int tab);
};

}  // namespace qm
