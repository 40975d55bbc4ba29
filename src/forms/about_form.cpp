#include "forms/about_form.h"

#include <cstdio>
#include <initializer_list>
#include <optional>

#include "core/errors.h"
#include "core/inspect/version_resource.h"
#include "forms/main_form.h"

namespace qm {

namespace {

constexpr int kSwShowNormal = 1;

// Fills the "%s" of a template in order ("%%" is a percent sign), the way the
// labels' design-time captions are used as formats.
std::string FormatTexts(const std::string& pattern, std::initializer_list<std::string> arguments) {
    std::string out;
    auto next = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            if (next != arguments.end()) out += *next++;
            ++i;
        } else if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace

std::string CopyrightYears(int currentYear) {
    char buffer[32];
    if (currentYear <= kCopyrightFirstYear) std::snprintf(buffer, sizeof(buffer), "%04d", kCopyrightFirstYear);
    else std::snprintf(buffer, sizeof(buffer), "%04d-%04d", kCopyrightFirstYear, currentYear);
    return buffer;
}

AboutDialog::AboutDialog(MainForm& owner) : mainForm(owner) { FillTexts(); }

void AboutDialog::FillTexts() {
    Platform& platform = mainForm.platform;
    Caption = FormatTexts("%s %s", {Caption, kAppTitle});
    nameText = kAppTitle;
    const std::string self = platform.system.ModuleFileName();
    std::string build, version;
    GetFileVersionText(platform.versions, self, build);
    GetProductVersionText(platform.versions, self, version);
    versionText = FormatTexts(versionText, {version, build});
    copyrightText = FormatTexts(copyrightText, {CopyrightYears(platform.system.LocalYear())});
}

void AboutDialog::OpenWebAddress() {
    // Only the desktop's shell opens the address, so that the browser runs
    // with the user's own rights. This program never opens it itself: the
    // handler of an address is looked up in the user's own classes
    // (HKCU\Software\Classes), which any program of the user's may point at
    // itself, and it would then run elevated.
    Platform& platform = mainForm.platform;
    if (platform.shell.ShellExecuteByDesktop("", kWebAddress, "", "", kSwShowNormal)) return;
    platform.dialogs.Show({DialogKind::Information, Caption, FormatTexts(kLinkNotOpened, {kWebAddress})});
}

void ShowAboutDialog(MainForm& owner) {
    AboutDialog dialog(owner);  // gone when this returns or throws
    owner.toolkit.ShowAboutModal(dialog);
}

}  // namespace qm
