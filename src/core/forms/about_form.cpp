#include "core/forms/about_form.h"

#include <cstdio>
#include <initializer_list>
#include <vector>

#include "core/errors.h"
#include "core/forms/main_form.h"

namespace qm {

namespace {

constexpr int kSwShowNormal = 1;
// VS_FIXEDFILEINFO: 13 DWORDs; the file version is the third and fourth.
constexpr size_t kFixedFileInfoBytes = 52, kFileVersionMSOffset = 8, kFileVersionLSOffset = 12;

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

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

bool ReadVersionBlock(IVersionResources& versions, const std::string& fileName, std::vector<std::uint8_t>& block) {
    const std::uint32_t size = versions.GetFileVersionInfoSize(fileName);
    return size != 0 && versions.GetFileVersionInfo(fileName, size, block);
}

}  // namespace

bool GetFileVersionText(IVersionResources& versions, const std::string& fileName, std::string& text) {
    text.clear();
    std::vector<std::uint8_t> block, fixed;
    // A resource that cannot be read or has no root value counts as none.
    if (!ReadVersionBlock(versions, fileName, block) || !versions.VerQueryValue(block, "\\", fixed) ||
        fixed.size() < kFixedFileInfoBytes)
        return false;
    const std::uint32_t ms = Read32(fixed, kFileVersionMSOffset), ls = Read32(fixed, kFileVersionLSOffset);
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "%u.%u.%u.%u", ms >> 16, ms & 0xFFFFu, ls >> 16, ls & 0xFFFFu);
    text = buffer;
    return true;
}

bool GetProductVersionText(IVersionResources& versions, const std::string& fileName, std::string& text) {
    text.clear();
    std::vector<std::uint8_t> block, translations, value;
    if (!ReadVersionBlock(versions, fileName, block) ||
        !versions.VerQueryValue(block, "\\VarFileInfo\\Translation", translations) || translations.size() < 4)
        return false;
    char table[16];
    std::snprintf(table, sizeof(table), "%04x%04x", translations[0] | translations[1] << 8,
                  translations[2] | translations[3] << 8);
    if (!versions.VerQueryValue(block, std::string("\\StringFileInfo\\") + table + "\\ProductVersion", value))
        return false;
    text.assign(value.begin(), value.end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return !text.empty();
}

std::string CopyrightYears(int currentYear) {
    char buffer[32];
    if (currentYear <= kCopyrightFirstYear) std::snprintf(buffer, sizeof(buffer), "%04d", kCopyrightFirstYear);
    else std::snprintf(buffer, sizeof(buffer), "%04d-%04d", kCopyrightFirstYear, currentYear);
    return buffer;
}

TAboutDialog::TAboutDialog(TMainForm& owner) : Owner(owner) { FormCreate(); }

void TAboutDialog::FormCreate() {
    Platform& platform = Owner.platform;
    Caption = FormatTexts("%s %s", {Caption, kAppTitle});
    lblName = kAppTitle;
    const std::string self = platform.system.ModuleFileName();
    std::string build, version;
    GetFileVersionText(platform.versions, self, build);
    GetProductVersionText(platform.versions, self, version);
    lblVersion = FormatTexts(lblVersion, {version, build});
    lblCopyright = FormatTexts(lblCopyright, {CopyrightYears(platform.system.LocalYear())});
}

void TAboutDialog::SpeedButton1Click() {
    // The address opens with its default handler; a failure is not reported.
    // The desktop's shell opens it where it can, so that the browser runs
    // with the user's own rights instead of this elevated program's.
    IShell& shell = Owner.platform.shell;
    if (!shell.ShellExecuteByDesktop("", kWebAddress, "", "", kSwShowNormal))
        shell.ShellExecute(ShellOwner::None, "", kWebAddress, "", "", kSwShowNormal);
}

void ShowAboutDialog(TMainForm& owner) {
    TAboutDialog dialog(owner);  // gone when this returns or throws
    owner.toolkit.ShowAboutModal(dialog);
}

}  // namespace qm
