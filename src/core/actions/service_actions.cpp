// Deleting and disabling the service of a row of a services list. A
// deletion the service manager accepted is reported later by the window,
// which then lists the services again.
#include "core/actions/service_actions.h"

#include "core/actions/actions.h"
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

// Both act on the selected row, the one the list highlights, as the entry
// deletions do; the focused row may be another (a click on empty space
// clears the selection and leaves the focus). Without a selected row the
// window asks nothing: the services list never had the registry lists'
// "No item selected" box.
Outcome DeleteService(ActionContext& context, const Entry& selected) {
    const std::string name = selected.name;
    const DialogResult answer = context.ask.Show(
        {DialogKind::Confirmation, "Confirm", "Are you sure want to delete autorun \"" + name + "\" ?"});
    if (answer != DialogResult::Yes) return Outcome::NothingDone;
    return DeleteServiceByName(context.platform.services, name) ? Outcome::ServiceMarked : Outcome::NothingDone;
}

Outcome DisableService(ActionContext& context, const Entry& selected) {
    return DisableServiceByName(context.platform.services, selected.name) ? Outcome::Changed : Outcome::NothingDone;
}

}  // namespace qm
