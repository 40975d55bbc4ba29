// What a row's popup menu does: delete, disable, jump to. Each acts on one
// entry of one category, as that category's row of the table says; it asks
// the user through the context's port and says what became of the entry.
// The window that listed the entry updates its list from that answer.
#pragma once
#include <optional>
#include <string>

#include "core/categories/category.h"
#include "core/journal/journal.h"
#include "core/model/rows.h"
#include "core/registry.h"
#include "platform/platform.h"

namespace qm {

// What an action works with: the machine; the registry accessor the lists
// are read through (a collector that failed may have left a key open in
// it, so an action takes every path from the root); and the port through
// which it asks the user and tells them why nothing was done; the journal
// every change is written to before it is made.
struct ActionContext {
    Platform& platform;
    Registry& registry;
    IDialogs& ask;
    Journal& journal;
};

// What an action did to the place its entry was listed from.
enum class Outcome {
    NothingDone,    // not confirmed, nothing to act on, or refused before any change
    Changed,        // done as asked; nothing the list shows changed with it
    EntryGone,      // the entry is gone: its row goes, the rest of the list stays as it was listed
    PlaceReread,    // the place may have changed: its list is read again
    ServiceMarked,  // the service manager marked the service for deletion; a report follows later
};

// "&Delete Items...": the selected entry (null when no row is selected),
// after the user confirmed it.
Outcome DeleteEntry(ActionContext& context, const Category& category, const Entry* selected);
// A service's deletion: marked by the service manager after confirmation.
Outcome DeleteService(ActionContext& context, const Category& category, const Entry& selected);
// "&Disable Items...": the service's start type set to disabled, nothing
// else changed; a refusal is NothingDone, and the window has never
// reported it. With `ask`, the user is asked first: the question names the
// service and its start type as the manager has it now, and for a boot- or
// system-start driver or a service whose failure restarts Windows it says
// Windows may not start without it, "&No" the default.
Outcome DisableService(ActionContext& context, const Category& category, const Entry& selected, bool ask = false);
// "Disa&ble" / "&Enable" after the user confirmed: for a Run key's or a
// Startup folder's entry, the value Explorer keeps of whether Windows
// starts it, written as Task Manager writes it (the entry itself is left as
// it is); for a task read from its file, the Task Scheduler's switch, only
// while the file is what was listed. Enables a disabled entry and disables
// any other.
Outcome ToggleStartup(ActionContext& context, const Category& category, const Entry& selected);
// The menu item's caption for the entry: "&Enable" for a disabled entry,
// "Disa&ble" for another; none for an entry without such a switch.
std::optional<std::string> StartupToggleCaption(const Entry* selected);

// "&Jump To...": the Registry Editor at the entry's key, or its folder.
void JumpTo(Platform& platform, const Category& category, const Entry& selected);

}  // namespace qm
