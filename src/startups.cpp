#include "startups.h"

#include "NetAbout.h"
#include "actions/actions.h"
#include "collectors/collectors.h"
#include "inspect/properties.h"
#include "inspect/Unit2.h"

namespace qm {

namespace {

constexpr TColumn kHidden{"", 0};
constexpr std::array<TColumn, 5> RunColumns(int locationWidth, const char* nameCaption = "Key Name",
                                            const char* locationCaption = "Key Location") {
    return {TColumn{nameCaption, 145}, TColumn{"Target Value", 270}, TColumn{locationCaption, locationWidth},
            kHidden, kHidden};
}
constexpr std::array<TColumn, 5> kServiceColumns{
    TColumn{"Service Name", 145}, TColumn{"Description", 180}, TColumn{"Path", 300}, kHidden, kHidden};
constexpr std::array<TColumn, 5> kActxColumns{
    TColumn{"Name", 200}, TColumn{"ComponentID", 110}, TColumn{"Path", 330}, kHidden, kHidden};
constexpr std::array<TColumn, 5> kNamedColumns{
    TColumn{"Name", 200}, TColumn{"Target Value", 340}, kHidden, kHidden, kHidden};

constexpr std::array<Collector, 9> One(Collector c) { return {c}; }

}  // namespace

// The fifteen categories in tab order.
const std::array<TAutostartCategory, kCategoryCount> kCategories{{
    {"TabSheet2", "HKCU / Run", "HKCU / Run (", 10, &TMainForm::hku, RunColumns(126), 5, "HKURun",
     "&Properties", false, One(ScanHKCURun), true, ShowClears::Group, nullptr},
    {"TabSheet1", "HKLM / Run", "HKLM / Run (", 10, &TMainForm::LV, RunColumns(129), 5, "hklmrun",
     "&Properties...", false, One(ScanHKLMRun), true, ShowClears::None, nullptr},
    // The two startup tabs are captioned for what they list: the all-users
    // folder (two users) and the current user's folder (a folder).
    {"TabSheet4", "Startup (comon)", "Startup (common) - (", 3, &TMainForm::comon,
     RunColumns(126, " Name", "Location"), 5, "startupuser", "&Properties...", false, One(ScanCommonStartup), true,
     ShowClears::Group, nullptr},
    {"TabSheet5", "Startup (User)", "Startup (user) - (", 1, &TMainForm::User,
     RunColumns(126, "Name", "Location"), 5, "PopupMenu1", "&Properties", false, One(ScanUserStartup), true,
     ShowClears::Group,
     nullptr},
    {"TabSheet3", "HKCU / Run Once", "HKCU / Run Once (", 10, &TMainForm::runonce, RunColumns(126), 5,
     "hkurunonce", "&Properties", false, One(ScanHKCURunOnce), true, ShowClears::Group, nullptr},
    {"TabSheet8", "HKLM / Run Once", "HKLM / Run Once (", 10, &TMainForm::hklmrunonce, RunColumns(126), 5,
     "hklmrunces", "&Properties...", false, One(ScanHKLMRunOnce), true, ShowClears::Group, nullptr},
    {"TabSheet7", "HKLM / ShellObject", "HKLM / ShellObject (", 10, &TMainForm::shellobject, RunColumns(128), 5,
     "shellob", "&Properties...", false, One(ScanHKLMShellObjects), true, ShowClears::Group, nullptr},
    {"TabSheet9", "HKLM / Run OnceEx", "HKLM / Run OnceEx (", 10, &TMainForm::runoncex, RunColumns(126), 5,
     "PopupMenu2", "&Properties", false, One(ScanHKLMRunOnceEx), true, ShowClears::Group, nullptr},
    {"TabSheet10", "Startup (services)", "Startup (services) - (", 16, &TMainForm::InstCompo, kServiceColumns, 3,
     "PopupMenu3", "&Properties", true, One(ScanServices), true, ShowClears::None, nullptr},
    {"TabSheet6", "ActiveX", "ActiveX (", 10, &TMainForm::actx, kActxColumns, 3, "actxmenu", "&Properties", false,
     One(ScanInstalledComponents), false, ShowClears::GroupActxLogs, actxAdvancedCustomDrawSubItem},
    {"TabSheet11", "WinLogon", "WinLogon (", 19, &TMainForm::logs, kNamedColumns, 2, "winlGNS", "&Properties",
     false,
     {ScanWinlogonUserinit, ScanWinlogonSystem, ScanWinlogonShell, ScanWinlogonUIHost, ScanWinlogonTaskman,
      ScanWinlogonLsaStart, ScanWinlogonSaveDumpStart, ScanWinlogonAppSetup, ScanWinlogonServiceControllerStart},
     false, ShowClears::GroupActxLogs, logsAdvancedCustomDrawSubItem},
    {"TabSheet12", "Load - Run", "Load - Run (", 10, &TMainForm::lorun, kNamedColumns, 2, "loruns", "&Properties",
     false, {ScanWindowsRun, ScanWindowsLoad}, false, ShowClears::None, logsAdvancedCustomDrawSubItem},
    {"TabSheet13", "HKLM / Explorer-Run", "HKLM / Explorer-Run (", 10, &TMainForm::explomac, RunColumns(128), 5,
     "explom", "&Properties", false, One(ScanHKLMExplorerRun), false, ShowClears::None, nullptr},
    {"TabSheet14", "HKCU / Explorer-Run", "HKCU / Explorer-Run (", 10, &TMainForm::explou, RunColumns(126), 5,
     "userexplorer", "&Properties", false, One(ScanHKCUExplorerRun), false, ShowClears::None, nullptr},
    {"TabSheet15", "HKCU / Deskstop", "HKCU / Desktop (", 10, &TMainForm::desktop, kNamedColumns, 2, "PopupMenu4",
     "&Properties", false, One(ScanScreenSaver), false, ShowClears::None, logsAdvancedCustomDrawSubItem},
}};

namespace {

// The eight lists that most tabs empty when they are shown.
constexpr std::array<TListView TMainForm::*, 8> kGroupLists{&TMainForm::LV,      &TMainForm::hku,
                                                            &TMainForm::comon,   &TMainForm::User,
                                                            &TMainForm::runonce, &TMainForm::hklmrunonce,
                                                            &TMainForm::shellobject, &TMainForm::runoncex};

// The start-up scan reads the two Explorer-Run tabs the other way round.
constexpr std::array<int, kCategoryCount> kScanOrder{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 12, 14};

// The lists that get the system image lists at the end of the start-up scan, in order.
constexpr std::array<TListView TMainForm::*, 9> kAttachAtStart{
    &TMainForm::LV,       &TMainForm::hku,      &TMainForm::shellobject, &TMainForm::runonce, &TMainForm::hklmrunonce,
    &TMainForm::runoncex, &TMainForm::comon,    &TMainForm::User,        &TMainForm::InstCompo};

bool HasCollectors(const TAutostartCategory& c) { return c.Collectors[0] != nullptr; }

std::string ComputerNameText(ISystemInfo& system) {
    std::string name;
    return system.GetComputerName(256, name) ? name : std::string();
}

std::string UserNameText(ISystemInfo& system) {
    std::string buffer;
    std::uint32_t size = 255;
    if (!system.GetUserName(255, buffer, size)) return "Unknown";
    // The size returned counts the terminating NUL.
    return buffer.substr(0, size > 0 ? size - 1 : 0);
}

}  // namespace

TMainForm::TMainForm(Platform& p) : platform(p) {
    for (int tab = 0; tab < kCategoryCount; ++tab) TabCaptions[static_cast<size_t>(tab)] = kCategories[static_cast<size_t>(tab)].DesignCaption;
    // Creating the window reports a failure of the scan and goes on.
    Guarded([this] { FormCreate(); });
    ItemForm = std::make_unique<TItemForm>(platform);
}

TMainForm::~TMainForm() = default;

int TMainForm::TabOf(const TListView& list) const {
    for (int tab = 0; tab < kCategoryCount; ++tab)
        if (&(this->*kCategories[static_cast<size_t>(tab)].List) == &list) return tab;
    return -1;
}

void TMainForm::UpdateCountCaption(int tab) {
    TabCaptions.at(static_cast<size_t>(tab)) =
        kCategories[static_cast<size_t>(tab)].CountPrefix + std::to_string(ListOf(tab).Count()) + ")";
}

void TMainForm::FormCreate() {
    Caption = std::string(kAppTitle) + "  -  [" + ComputerNameText(platform.system) + "/" +
              UserNameText(platform.system) + "]";
    SharedRegistry = std::make_unique<TRegistry>(platform.registry);
    HKLMRunKeyPath = HKCURunKeyPath = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (int tab : kScanOrder) {
        if (!HasCollectors(kCategories[static_cast<size_t>(tab)])) continue;
        RunCollectors(tab);
        UpdateCountCaption(tab);
    }
    for (auto list : kAttachAtStart) AttachSystemImageLists(platform, this->*list);
}

void TMainForm::RunCollectors(int tab) {
    for (Collector collect : kCategories[static_cast<size_t>(tab)].Collectors)
        if (collect) collect(*this);
}

void TMainForm::ShowPage(int tab) {
    const TAutostartCategory& category = kCategories.at(static_cast<size_t>(tab));
    if (!HasCollectors(category)) return;
    ListOf(tab).Clear();
    if (category.Clears != ShowClears::None) {
        for (auto list : kGroupLists) (this->*list).Clear();
        if (category.Clears == ShowClears::GroupActxLogs) {
            actx.Clear();
            logs.Clear();
        }
    }
    RunCollectors(tab);
    UpdateCountCaption(tab);
}

void TMainForm::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        platform.dialogs.Show({DialogKind::Error, kAppTitle, ErrorBoxText(e.what())});
    }
}

void TMainForm::FirstShow() {
    Guarded([this] { ShowPage(ActivePage); });
}

void TMainForm::SelectTab(int tab) {
    if (tab == ActivePage || tab < 0 || tab >= kCategoryCount) return;
    ActivePage = tab;
    Guarded([this, tab] { ShowPage(tab); });
}

void TMainForm::ListCommandClick(int tab, ListCommand command) {
    if (tab < 0 || tab >= kCategoryCount) return;
    Guarded([this, tab, command] {
        const bool services = &ListOf(tab) == &InstCompo;
        switch (command) {
            case ListCommand::Delete:
                if (services) DeleteItems9Click(*this);
                else DeleteItemsClick(*this, tab);
                break;
            case ListCommand::Disable:
                if (services) DisableItems1Click(*this);
                break;
            case ListCommand::JumpTo:
                JumpToClick(*this, tab);
                break;
            case ListCommand::Properties:
                ListPropertiesClick(*this, tab);
                break;
        }
    });
}

void TMainForm::ListDblClick(int tab) { ListCommandClick(tab, ListCommand::Properties); }

void TMainForm::Button1Click() {
    Guarded([this] { ShowAboutDialog(*this); });
}

void TMainForm::Timer1Timer() {
    Guarded([this] { qm::Timer1Timer(*this); });
}

}  // namespace qm
