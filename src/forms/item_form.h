// The Item Properties dialog: what one entry row starts (name, command,
// location, the program's icon, company, description and version), with
// links to the shell's Properties sheet and to the program's folder. One
// dialog lives for the whole run; it is modeless, keeps copies of what it
// shows, and is hidden rather than destroyed when the user closes it.
#pragma once
#include <string>

#include "core/categories/category.h"
#include "core/model/rows.h"
#include "forms/toolkit.h"
#include "platform/owner.h"
#include "platform/platform.h"

namespace qm {

// An image control that owns the icons it is given. The icon its window
// control shows is released only once the control has been handed the next
// one (Shown), so the control never holds a destroyed icon; the end of the
// image releases what is left.
class IconImage {
public:
    explicit IconImage(IShell& shell) : given_(shell, IconHandle{}), shown_(shell, IconHandle{}) {}

    void SetIcon(IconHandle icon);
    IconHandle Icon() const { return changed_ ? given_.Get() : shown_.Get(); }
    // The toolkit has handed Icon() to the window control: the icon it
    // showed before can go.
    void Shown();

private:
    IconOwner given_;       // given since the control was last handed one
    IconOwner shown_;       // what the window control holds
    bool changed_ = false;  // Icon() is given_, not yet shown
};

class ItemForm {
public:
    ItemForm(Platform& platform, IToolkit& toolkit) : platform(platform), toolkit(toolkit), icon(platform.shell) {}
    ItemForm(const ItemForm&) = delete;
    ItemForm& operator=(const ItemForm&) = delete;

    Platform& platform;
    IToolkit& toolkit;

    static constexpr const char* Caption = "Item Properties";
    static constexpr const char* PageCaption = "Shortcut";

    // The controls a user can move the keyboard focus to, in tab order.
    enum class Control { Command, Name, Location, FindTarget, Ok, Cancel };

    bool Visible = false;
    Control ActiveControl = Control::Command;
    IconImage icon;                // the program's icon
    std::string title = "<name>";  // the entry's name above the page
    // The edit boxes ("Target:", "Name:", "Parameters:") hold what the user
    // sees and types; the toolkit writes every change back here.
    std::string command, name, location;
    // `command` holds a file (a driver's), not a command line whose program ends at ".exe".
    bool commandIsFile = false;
    // The program's version texts; the captions until the first entry is shown.
    std::string company = "<root>";
    std::string description = "<key>";
    std::string version = "<type>";
    // Whether Windows starts the entry; empty where it keeps no such state.
    std::string state;

    // Makes the dialog visible and brings it to the front; FocusFirstField runs
    // when it was hidden. The toolkit hands the icon to its control before
    // this returns.
    void Show();
    void FocusFirstField();
    // Fills every field from the entry as its category shows it, and shows the dialog.
    void ShowEntry(const Category& category, const Entry& selected);
    // OK, "&Cancel" (Esc) and the frame's close box hide the dialog; nothing
    // is applied.
    void OkClick() { Visible = false; }
    void CancelClick() { Visible = false; }
    void CloseFrame() { Visible = false; }
    // The "Properties" link: the shell's Properties sheet of the program in `command`.
    void ShowShellProperties();
    // "&Find Target...": the folder of the program in `command`, when it is one.
    void FindTarget();
};

}  // namespace qm
