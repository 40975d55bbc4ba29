// The Item Properties dialog: what one entry row starts (name, command,
// location, the program's icon, company, description and version), with
// links to the shell's Properties sheet and to the program's folder. One
// dialog lives for the whole run; it is modeless, keeps copies of what it
// shows, and is hidden rather than destroyed when the user closes it.
#pragma once
#include <string>

#include "core/forms/toolkit.h"
#include "platform/owner.h"
#include "platform/platform.h"

namespace qm {

// An image control that owns the icons it is given. The icon its window
// control shows is released only once the control has been handed the next
// one (Shown), so the control never holds a destroyed icon; the end of the
// image releases what is left.
class TIconImage {
public:
    explicit TIconImage(IShell& shell) : given_(shell, IconHandle{}), shown_(shell, IconHandle{}) {}

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

class TItemForm {
public:
    TItemForm(Platform& platform, IToolkit& toolkit) : platform(platform), toolkit(toolkit), Image1(platform.shell) {}
    TItemForm(const TItemForm&) = delete;
    TItemForm& operator=(const TItemForm&) = delete;

    Platform& platform;
    IToolkit& toolkit;

    static constexpr const char* Caption = "Item Properties";
    static constexpr const char* PageCaption = "Shortcut";

    // The controls a user can move the keyboard focus to, in tab order.
    enum class Control { Edit1, Edit2, Edit3, BitBtn1, Button1, Button2 };

    bool Visible = false;
    Control ActiveControl = Control::Edit1;
    TIconImage Image1;
    std::string Label1 = "<name>";
    // The edit boxes hold what the user sees and types; the toolkit writes
    // every change back here.
    std::string Edit1, Edit2, Edit3;
    // Edit1 holds a file (a driver's), not a command line whose program ends at ".exe".
    bool Edit1IsFile = false;
    std::string Label6 = "<root>";   // company
    std::string Label8 = "<key>";    // description
    std::string Label10 = "<type>";  // version

    // Makes the dialog visible and brings it to the front; FormShow runs
    // when it was hidden. The toolkit hands Image1's icon to its control
    // before this returns.
    void Show();
    void FormShow();
    // OK, "&Cancel" (Esc) and the frame's close box hide the dialog; nothing
    // is applied.
    void Button1Click() { Visible = false; }
    void Button2Click() { Visible = false; }
    void FormClose() { Visible = false; }
    // The "Properties" link: the shell's Properties sheet of the program in Edit1.
    void SpeedButton1Click();
    // "&Find Target...": the folder of the program in Edit1, when it is one.
    void BitBtn1Click();
};

}  // namespace qm
