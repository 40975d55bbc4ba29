// Deleting and disabling the service of a row of the services list. A
// deletion is reported five seconds later by Timer1, which then lists the
// services again.
#include "core/actions/service_actions.h"

#include "core/actions/actions.h"
#include "core/errors.h"
#include "core/forms/main_form.h"
#include "platform/owner.h"

namespace qm {

bool DeleteServiceByName(IServices& services, const std::string& serviceName) {
    const ScManagerOwner manager(services, services.OpenSCManager(kGenericWrite));
    if (!manager) return false;
    // A service that fails to open gives a null handle, which DeleteService refuses.
    const ServiceOwner service(services, services.OpenService(manager.Get(), serviceName, kServiceDelete));
    return services.DeleteService(service.Get());
}

void DisableServiceByName(IServices& services, const std::string& serviceName) {
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerAllAccess));
    const ServiceOwner service(services, services.OpenService(manager.Get(), serviceName, kServiceChangeConfig));
    services.ChangeServiceStartType(service.Get(), kServiceDisabled);
}

// Both handlers act on the selected row, the one the list highlights, as the
// entry deletions do; the focused row may be another (a click on empty space
// clears the selection and leaves the focus). Without a selected row they end
// without a message: the services list never had the registry lists'
// "No item selected" box.
void DeleteItems9Click(TMainForm& form, int tab) {
    const Entry* selected = form.ListOf(tab).Selected();
    if (!selected) return;
    const std::string name = selected->name;
    const DialogResult answer = form.platform.dialogs.Show(
        {DialogKind::Confirmation, "Confirm", "Are you sure want to delete autorun \"" + name + "\" ?"});
    if (answer != DialogResult::Yes) return;
    // An enabled timer keeps its first deadline: one report answers every
    // deletion made before it fires.
    if (DeleteServiceByName(form.platform.services, name)) form.Timer1Enabled = true;
}

void DisableItems1Click(TMainForm& form, int tab) {
    const Entry* selected = form.ListOf(tab).Selected();
    if (selected) DisableServiceByName(form.platform.services, selected->name);
}

void Timer1Timer(TMainForm& form) {
    // The window stops its system timer only once a handler has returned, so
    // a tick can still arrive while the message box below is open; it finds
    // Timer1 off and is dropped, as a stopped timer delivers none.
    if (!form.Timer1Enabled) return;
    // Stopped before the message box, whose message loop goes on delivering
    // ticks: the report is shown once per enabling.
    form.Timer1Enabled = false;
    form.platform.dialogs.Show({DialogKind::Plain, kAppTitle, "Successful Delete..."});
    for (int tab = 0; tab < form.TabCount(); ++tab)
        if (form.CategoryOf(tab).removal == Removal::Service) form.Refill(tab);
}

}  // namespace qm
