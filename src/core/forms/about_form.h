// The About dialog: the program's icon, name, version and build, a
// copyright line with the current year, and the project's web address.
#pragma once
#include <cstdint>
#include <string>

#include "core/inspect/version_resource.h"
#include "platform/platform.h"

namespace qm {

class TMainForm;

inline constexpr const char* kWebAddress = "https://github.com/quellmark/quellmark";

// What the dialog shows. Creating it fills every text (FormCreate), so the
// year and the version are read again for every dialog. The toolkit draws
// it and reports the button presses back.
class TAboutDialog {
public:
    explicit TAboutDialog(TMainForm& owner);
    TAboutDialog(const TAboutDialog&) = delete;
    TAboutDialog& operator=(const TAboutDialog&) = delete;

    TMainForm& Owner;

    // Design-time captions; the last three are templates that FormCreate
    // formats into the texts shown.
    std::string Caption = "About";
    std::string lblName = "Name";
    std::string lblVersion = "Version %s (Build %s)";
    std::string lblCopyright = "Copyright (C) %s The Quellmark developers";
    // The link button shows the address without its scheme and opens it whole.
    std::string SpeedButton1 = "github.com/quellmark/quellmark";

    static constexpr const char* IconResource = "MAINICON";
    static constexpr int IconSize = 48;
    static constexpr int ClientWidth = 361, ClientHeight = 96;
    // While shown the dialog stays above every window: SetWindowPos with
    // HWND_TOPMOST and SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE.
    static constexpr std::uint32_t TopmostFlags = 0x13;

    bool Closed = false;  // ends the modal loop

    void btnOkClick() { Closed = true; }  // OK, Enter, Esc and the close box
    void SpeedButton1Click();

private:
    void FormCreate();
};

// Creates a new About dialog, shows it modally over the main window and
// destroys it when it has closed, also when showing it fails.
void ShowAboutDialog(TMainForm& owner);

// The years of the copyright line: the first year alone while it is the
// current one (or the clock is behind it), else "first-current".
inline constexpr int kCopyrightFirstYear = 2026;
std::string CopyrightYears(int currentYear);

}  // namespace qm
