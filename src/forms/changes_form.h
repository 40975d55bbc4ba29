// The Changes window: every record of the change journal, newest first,
// with the commands that put a change back or forget its record. The form
// holds what the list shows and which row is selected; the toolkit draws it
// and reports the row the user selects and the buttons pressed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/actions/restore.h"
#include "core/journal/journal.h"

namespace qm {

class MainForm;

class ChangesForm {
public:
    explicit ChangesForm(MainForm& owner);
    ChangesForm(const ChangesForm&) = delete;
    ChangesForm& operator=(const ChangesForm&) = delete;

    MainForm& mainForm;

    static constexpr const char* Caption = "Changes";
    static constexpr const char* RestoreCaption = "&Restore";
    static constexpr const char* ForgetCaption = "&Forget";
    static constexpr const char* CloseCaption = "Close";
    struct Column {
        const char* caption;
        int width;
    };
    static constexpr Column Columns[] = {{"When", 115}, {"Done", 190}, {"Entry", 150}, {"Where", 420}};
    static constexpr int ClientWidth = 760, ClientHeight = 360;

    // The journal's records as Journal::List gave them (newest first), and
    // the cells of each row, by row.
    const std::vector<JournalItem>& Items() const { return items_; }
    const std::vector<ChangeCells>& Cells() const { return cells_; }
    int RowCount() const { return static_cast<int>(items_.size()); }
    // Why the journal could not be read; empty when it was. The list is
    // then empty, and the status line says this instead of "no changes".
    const std::string& Problem() const { return problem_; }
    // What the line under the list says: the problem, or how many records
    // there are and where they are kept.
    std::string StatusText() const;

    // The selected row, -1 when none. Restore and Forget act on it alone
    // and are unavailable without one.
    int SelectedIndex() const { return selected_; }
    const JournalItem* Selected() const;
    bool CanAct() const { return Selected() != nullptr && !busy_; }
    // Bumped whenever the rows, the selection or the problem change, so the
    // toolkit redraws only then.
    std::uint64_t Version() const { return version_; }

    bool Closed = false;  // ends the modal loop

    // Reads the journal again; the selection stays on the same record when
    // it is still there.
    void Read();
    // The user selected a row (-1: none). Ignored while a command runs: the
    // command acts on the record selected when it began.
    void Select(int row);
    // "&Restore": the selected record put back, after the core's
    // confirmation. A damaged record is not restored: the user is told why.
    // Then the journal and the main window's lists the change touched are
    // read again.
    void RestoreClick();
    // "&Forget": the selected record removed after the core's confirmation,
    // then the journal read again.
    void ForgetClick();
    void CloseClick() { Closed = true; }  // Close, Esc and the close box

private:
    // Runs one command on a copy of the selected record, inside the main
    // form's guard, never two at once: a command that comes while another
    // one's question is open is dropped.
    template <class Command>
    void Act(Command&& command);
    void RefillListsOf(const ChangeRecord& record);

    std::vector<JournalItem> items_;
    std::vector<ChangeCells> cells_;
    std::string problem_;
    int selected_ = -1;
    bool busy_ = false;
    std::uint64_t version_ = 0;
};

// What Restore says of a damaged record.
inline constexpr const char* kDamagedRecord = "This record cannot be restored: %s. It can only be forgotten.";

// Makes the form, reads the journal and shows the window modally over the
// main window; the form is gone when it has closed, also when showing fails.
void ShowChangesDialog(MainForm& owner);

}  // namespace qm
