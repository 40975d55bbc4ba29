// The About dialog: the program's icon, name, version and build, a
// copyright line with the current year, and the project's web address.
#pragma once
#include <cstdint>
#include <string>

#include "core/inspect/version_resource.h"
#include "platform/platform.h"

namespace qm {

class MainForm;

inline constexpr const char* kWebAddress = "https://github.com/quellmark/quellmark";
// What the link says when the desktop's shell cannot open it (explorer is
// not running); the address can be copied from the box (Ctrl+C).
inline constexpr const char* kLinkNotOpened =
    "The web address was not opened: the desktop is not running, and Quellmark does not start a browser itself "
    "with its administrator rights. Open %s in a browser.";

// What the dialog shows. Creating it fills every text (FillTexts), so the
// year and the version are read again for every dialog. The toolkit draws
// it and reports the button presses back.
class AboutDialog {
public:
    explicit AboutDialog(MainForm& owner);
    AboutDialog(const AboutDialog&) = delete;
    AboutDialog& operator=(const AboutDialog&) = delete;

    MainForm& mainForm;

    // Design-time captions; the last three are templates that FillTexts
    // formats into the texts shown.
    std::string Caption = "About";
    std::string nameText = "Name";
    std::string versionText = "Version %s (Build %s)";
    std::string copyrightText = "Copyright (C) %s The Quellmark developers";
    // The link button shows the address without its scheme and opens it whole.
    std::string linkText = "github.com/quellmark/quellmark";

    static constexpr const char* IconResource = "MAINICON";
    static constexpr int IconSize = 48;
    static constexpr int ClientWidth = 361, ClientHeight = 96;
    // While shown the dialog stays above every window: SetWindowPos with
    // HWND_TOPMOST and SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE.
    static constexpr std::uint32_t TopmostFlags = 0x13;

    bool Closed = false;  // ends the modal loop

    void OkClick() { Closed = true; }  // OK, Enter, Esc and the close box
    void OpenWebAddress();

private:
    void FillTexts();
};

// Creates a new About dialog, shows it modally over the main window and
// destroys it when it has closed, also when showing it fails.
void ShowAboutDialog(MainForm& owner);

// The years of the copyright line: the first year alone while it is the
// current one (or the clock is behind it), else "first-current".
inline constexpr int kCopyrightFirstYear = 2026;
std::string CopyrightYears(int currentYear);

}  // namespace qm
