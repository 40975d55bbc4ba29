// Deleting and disabling the service of a row of a services list. A
// deletion the service manager accepted is reported later by the window,
// which then lists the services again.
#include "core/actions/service_actions.h"

#include "core/actions/action_steps.h"
#include "core/actions/actions.h"
#include "core/actions/change_states.h"
#include "core/collectors/collector.h"
#include "platform/owner.h"

namespace qm {

bool DeleteServiceByName(IServices& services, const std::string& serviceName) {
    const ScManagerOwner manager(services, services.OpenSCManager(kGenericWrite));
    if (!manager) return false;
    // A service that fails to open gives a null handle, which DeleteService refuses.
    const ServiceOwner service(services, services.OpenService(manager.Get(), serviceName, kServiceDelete));
    return services.DeleteService(service.Get());
}

bool DisableServiceByName(IServices& services, const std::string& serviceName) {
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerAllAccess));
    const ServiceOwner service(services, services.OpenService(manager.Get(), serviceName, kServiceChangeConfig));
    return services.ChangeServiceStartType(service.Get(), kServiceDisabled);
}

namespace {

// The service's whole configuration, into the journal before it changes.
// A service the change could not reach anyway (`right` refused, or no such
// service) is refused quietly, as the change itself always was; one that
// could be changed but whose configuration cannot be kept is not changed,
// and the user told why.
bool KeepService(ActionContext& context, ChangeRecord& record, const std::string& name, const std::string& done,
                 std::uint32_t right, std::string& recorded, std::optional<std::uint32_t> startAfter = std::nullopt) {
    IServices& services = context.platform.services;
    {
        const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect));
        if (!manager || !ServiceOwner(services, services.OpenService(manager.Get(), name, right))) return false;
    }
    KeptService state;
    if (!ReadKeptService(context.platform, name, state)) {
        context.ask.Show({DialogKind::Error, "Error",
                          "\"" + name + "\" was not " + done +
                              ": its configuration cannot be read, so the change could not be recorded to be put "
                              "back."});
        return false;
    }
    state.startAfter = startAfter;
    record.where = std::string("HKEY_LOCAL_MACHINE\\") + kServicesKey + "\\" + name;
    record.service = std::move(state);
    return RecordChange(context, record, name, done, &recorded);
}

}  // namespace

// Both act on the selected row, the one the list highlights, as the entry
// deletions do; the focused row may be another (a click on empty space
// clears the selection and leaves the focus). Without a selected row the
// window asks nothing: the services list never had the registry lists'
// "No item selected" box.
Outcome DeleteService(ActionContext& context, const Category& category, const Entry& selected) {
    const std::string name = selected.name;
    if (!ConfirmDeletion(context.ask, name)) return Outcome::NothingDone;
    ChangeRecord record{.kind = ChangeKind::DeletedService, .category = category.id, .entry = name, .where = name};
    std::string recorded;
    if (!KeepService(context, record, name, "deleted", kServiceDelete, recorded)) return Outcome::NothingDone;
    if (DeleteServiceByName(context.platform.services, name)) return Outcome::ServiceMarked;
    DropRecord(context, recorded);
    return Outcome::NothingDone;
}

namespace {

constexpr std::uint32_t kServiceErrorCritical = 3;

// The question before a service is disabled, from its configuration now.
DialogRequest DisableQuestion(IServices& services, const std::string& name) {
    ServiceConfig config;
    bool read = false;
    if (const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect)); manager) {
        const ServiceOwner service(services, services.OpenService(manager.Get(), name, kServiceQueryConfig));
        read = service && services.ReadServiceConfig(service.Get(), config);
    }
    const bool driver = read && (config.serviceType & kServiceDriver) != 0;
    const std::string what = driver ? "driver" : "service";
    std::string text = "Disable the " + what + " \"" + name + "\" (starts: " +
                       (read ? ServiceStartText(config.startType) : "not known, its configuration cannot be read") +
                       ")? Windows will no longer start it; it stays installed, and its start type can be set again.";
    const bool atBoot = driver && (config.startType == kServiceBootStart || config.startType == kServiceSystemStart);
    const bool critical = read && config.errorControl == kServiceErrorCritical;
    if (atBoot || critical)
        text += std::string("\n\nWindows may not start without it: ") +
                (atBoot ? "Windows loads it while it starts." : "a failure to start it makes Windows restart.") +
                " Disable it only if you know it is not needed.";
    return {DialogKind::Confirmation, "Confirm", text, atBoot || critical};
}

}  // namespace

Outcome DisableService(ActionContext& context, const Category& category, const Entry& selected, bool ask) {
    const std::string name = selected.name;
    if (ask && context.ask.Show(DisableQuestion(context.platform.services, name)) != DialogResult::Yes)
        return Outcome::NothingDone;
    ChangeRecord record{.kind = ChangeKind::ChangedService, .category = category.id, .entry = name};
    std::string recorded;
    if (!KeepService(context, record, name, "disabled", kServiceChangeConfig, recorded, kServiceDisabled))
        return Outcome::NothingDone;
    if (DisableServiceByName(context.platform.services, name)) return Outcome::Changed;
    DropRecord(context, recorded);
    return Outcome::NothingDone;
}

}  // namespace qm
