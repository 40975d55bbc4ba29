// The service control manager with scratch services of the test's own:
// listing, command lines, deletion of a running service, disabling. Under
// Wine these run against Wine's real service control manager.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract/env.h"
#include "contract/service_env.h"
#include "core/actions/service_actions.h"
#include "core/collectors/collector.h"
#include "core/collectors/services.h"
#include "core/model/icons.h"
#include "core/model/text.h"
#include "core/registry.h"
#include "platform/owner.h"

namespace qm {
namespace {

using contract::Machine;

constexpr const char* kFirst = "QmScratchOne";
constexpr const char* kSecond = "QmScratchTwo";
constexpr const char* kThird = "QmScratchThree";

class ServicesContract : public ::testing::Test {
protected:
    void SetUp() override { RemoveAll(); }
    void TearDown() override { RemoveAll(); }
    static void RemoveAll() {
        for (const char* name : {kFirst, kSecond, kThird}) contract::RemoveScratchService(name);
    }
    // The active own-process services, as the services tab lists them.
    static std::vector<ServiceEntry> Active(std::uint32_t bufferSize = kServiceEnumBufferSize) {
        IServices& services = Machine().services;
        const ScManagerOwner manager(services, services.OpenSCManager(kGenericExecute | kScManagerEnumerateService));
        EXPECT_TRUE(manager);
        return ListServices(services, manager.Get(), kServiceWin32OwnProcess, kServiceActive, bufferSize);
    }
    static const ServiceEntry* Named(const std::vector<ServiceEntry>& entries, const std::string& name) {
        auto it =
            std::find_if(entries.begin(), entries.end(), [&](const ServiceEntry& e) { return e.serviceName == name; });
        return it == entries.end() ? nullptr : &*it;
    }
};

// The display name is in several scripts (Cyrillic, CJK, an emoji, a
// right-to-left mark): it is listed whole.
constexpr const char* kUnicodeDisplayName =
    "Quellmark scratch one \u0421\u043B\u0443\u0436\u0431\u0430 \u4E2D\u6587 \U0001F600 \u200F\u05D0";

TEST_F(ServicesContract, AnOwnProcessServiceIsListedWhileItRunsWithItsCommandLine) {
    const std::string commandLine =
        contract::CreateScratchService(kFirst, kUnicodeDisplayName, kServiceAutoStart, "-run now");
    ASSERT_FALSE(commandLine.empty());
    EXPECT_EQ(nullptr, Named(Active(), kFirst));  // stopped, however it starts
    ASSERT_TRUE(contract::StartScratchService(kFirst));
    const std::vector<ServiceEntry> running = Active();
    const ServiceEntry* entry = Named(running, kFirst);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(kUnicodeDisplayName, entry->displayName.value_or("(none)"));
    EXPECT_EQ(kServiceWin32OwnProcess, entry->serviceType & kServiceWin32OwnProcess);
    EXPECT_EQ(kServiceRunning, entry->currentState);

    // The row of the services tab: the command line as configured, quotes and arguments kept.
    Registry registry(Machine().registry);
    SystemIcons icons(Machine(), nullptr);
    ScanContext context{Machine(), registry, &icons};
    const ScanResult result = Collect(RunningServices{}, context);
    EXPECT_FALSE(result.failure);
    ASSERT_EQ(running.size(), result.rows.size());
    const Entry* row = nullptr;
    for (const Entry& r : result.rows)
        if (r.name == kFirst) row = &r;
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(kUnicodeDisplayName, row->service.displayName);
    EXPECT_EQ(commandLine, row->command);
    EXPECT_EQ('"', commandLine.front());
    EXPECT_EQ(GetSysIconIndex(Machine(), ExtractTargetPath(Machine().system, commandLine, ".exe")), row->image);

    ASSERT_TRUE(contract::StopScratchService(kFirst));
    EXPECT_EQ(nullptr, Named(Active(), kFirst));
}

TEST_F(ServicesContract, ASmallBufferListsTheSameServicesInTheSameOrder) {
    for (const char* name : {kFirst, kSecond}) {
        ASSERT_FALSE(contract::CreateScratchService(name, name, kServiceDemandStart, "").empty());
        ASSERT_TRUE(contract::StartScratchService(name));
    }
    std::vector<std::string> whole, pieces;
    for (const ServiceEntry& e : Active()) whole.push_back(e.serviceName);
    for (const ServiceEntry& e : Active(40)) pieces.push_back(e.serviceName);
    EXPECT_EQ(whole, pieces);
    EXPECT_NE(whole.end(), std::find(whole.begin(), whole.end(), kFirst));
    EXPECT_NE(whole.end(), std::find(whole.begin(), whole.end(), kSecond));

    // One call with room for about one entry. Windows fills what fits and
    // moves the resume handle; Wine fills nothing until everything fits.
    IServices& services = Machine().services;
    const ScManagerOwner manager(services, services.OpenSCManager(kGenericExecute | kScManagerEnumerateService));
    std::vector<ServiceEntry> part;
    std::uint32_t resume = 0, needed = 0;
    long error = 0;
    EXPECT_FALSE(services.EnumServicesStatus(manager.Get(), kServiceWin32OwnProcess, kServiceActive, 100, resume, part,
                                             needed, error));
    EXPECT_EQ(kErrorMoreData, error);
    EXPECT_GT(needed, 0u);
    if (contract::IsWine()) {
        EXPECT_EQ(0u, resume);
    } else {
        EXPECT_NE(0u, resume);
        ASSERT_EQ(1u, part.size());
        EXPECT_EQ(whole.front(), part.front().serviceName);
    }
}

TEST_F(ServicesContract, ADeletedServiceStaysUntilItHasStoppedAndItsLastHandleIsClosed) {
    ASSERT_FALSE(contract::CreateScratchService(kFirst, "One", kServiceDemandStart, "").empty());
    ASSERT_TRUE(contract::StartScratchService(kFirst));
    EXPECT_TRUE(DeleteServiceByName(Machine().services, "qmscratchone"));  // names ignore case
    EXPECT_FALSE(DeleteServiceByName(Machine().services, kFirst));         // marked already
    EXPECT_NE(nullptr, Named(Active(), kFirst));
    EXPECT_TRUE(contract::ScratchServiceExists(kFirst));
    IServices& services = Machine().services;
    {
        // Stopped, it stays while a handle to it is open.
        const ScManagerOwner manager(services, services.OpenSCManager(kGenericExecute | kScManagerEnumerateService));
        const ServiceOwner held(services, services.OpenService(manager.Get(), kFirst, kServiceQueryConfig));
        ASSERT_TRUE(held);
        ASSERT_TRUE(contract::StopScratchService(kFirst));
        EXPECT_TRUE(contract::ScratchServiceExists(kFirst));
        EXPECT_EQ(nullptr, Named(Active(), kFirst));
    }
    EXPECT_FALSE(contract::ScratchServiceExists(kFirst));
    EXPECT_FALSE(DeleteServiceByName(Machine().services, kFirst));
}

TEST_F(ServicesContract, DisablingChangesTheStartTypeAndNothingElse) {
    const std::string commandLine = contract::CreateScratchService(kFirst, "One", kServiceAutoStart, "-x");
    ASSERT_FALSE(commandLine.empty());
    DisableServiceByName(Machine().services, kFirst);
    EXPECT_EQ(kServiceDisabled, contract::ScratchServiceStartType(kFirst));
    IServices& services = Machine().services;
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerAllAccess));
    {
        const ServiceOwner service(services, services.OpenService(manager.Get(), kFirst, kServiceQueryConfig));
        EXPECT_EQ(commandLine, GetServiceBinaryPath(Machine(), service.Get()));
        // A handle without the right to change the configuration is refused.
        EXPECT_FALSE(services.ChangeServiceStartType(service.Get(), kServiceAutoStart));
    }
    EXPECT_EQ(kServiceDisabled, contract::ScratchServiceStartType(kFirst));
    EXPECT_FALSE(contract::StartScratchService(kFirst));           // a disabled service does not start
    DisableServiceByName(Machine().services, "QmScratchMissing");  // nothing to report
    EXPECT_FALSE(services.OpenService(manager.Get(), "QmScratchMissing", kServiceQueryConfig));
}

// The configuration the "Services and Drivers" tab reads: type, start type
// and command line, of a stopped service too; a handle without the right to
// read it reads nothing.
TEST_F(ServicesContract, TheConfigurationGivesTypeStartTypeAndCommandLineOfAStoppedService) {
    const std::string automatic = contract::CreateScratchService(kFirst, "One", kServiceAutoStart, "-a b");
    const std::string manual = contract::CreateScratchService(kSecond, "Two", kServiceDemandStart, "-m");
    ASSERT_FALSE(automatic.empty());
    ASSERT_FALSE(manual.empty());
    IServices& services = Machine().services;
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerEnumerateService));
    ASSERT_TRUE(manager);
    struct Case {
        const char* name;
        std::uint32_t startType;
        std::string commandLine;
    } cases[] = {{kFirst, kServiceAutoStart, automatic}, {kSecond, kServiceDemandStart, manual}};
    for (const Case& c : cases) {
        const ServiceOwner service(services, services.OpenService(manager.Get(), c.name, kServiceQueryConfig));
        ASSERT_TRUE(service) << c.name;
        ServiceConfig config;
        ASSERT_TRUE(services.ReadServiceConfig(service.Get(), config)) << c.name;
        EXPECT_EQ(kServiceWin32OwnProcess, config.serviceType & ~0x100u) << c.name;
        EXPECT_EQ(c.startType, config.startType) << c.name;
        EXPECT_EQ(c.commandLine, config.binaryPath) << c.name;
    }
    // Both are listed by an enumeration of every state, stopped as they are.
    const std::vector<ServiceEntry> all =
        ListServices(services, manager.Get(), kServiceDriver | kServiceWin32, kServiceStateAll);
    for (const char* name : {kFirst, kSecond}) {
        const ServiceEntry* entry = Named(all, name);
        ASSERT_NE(nullptr, entry) << name;
        EXPECT_EQ(kServiceStopped, entry->currentState) << name;
    }
    const ServiceOwner deleteOnly(services, services.OpenService(manager.Get(), kFirst, kServiceDelete));
    ASSERT_TRUE(deleteOnly);
    ServiceConfig config;
    EXPECT_FALSE(services.ReadServiceConfig(deleteOnly.Get(), config));
}

// What a change keeps of a service to make it again: the whole
// configuration as the manager keeps it, and its description, read back
// after the service was made from them. A name that is taken, by a service
// or by one marked for deletion, makes nothing.
TEST_F(ServicesContract, AServiceIsMadeAgainFromItsWholeConfigurationAndDescription) {
    IServices& services = Machine().services;
    const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect | kScManagerCreateService));
    ASSERT_TRUE(manager);
    ServiceConfig given;
    given.serviceType = kServiceWin32OwnProcess;
    given.startType = kServiceDemandStart;
    given.binaryPath = "\"C:\\Quellmark Test\\scratch.exe\" -kept";
    given.errorControl = 1;
    given.loadOrderGroup = "QmScratchGroup";
    given.dependencies = {"RpcSs", "PlugPlay", "+QmScratchOtherGroup"};
    given.account = "NT AUTHORITY\\LocalService";
    given.displayName = kUnicodeDisplayName;
    const std::string description = "Kept \u4E2D\u6587 \U0001F600 description";
    ServiceConfig plain;
    plain.serviceType = kServiceWin32OwnProcess;
    plain.startType = kServiceDisabled;
    plain.binaryPath = "C:\\scratch.exe";
    plain.account = "LocalSystem";
    {
        long error = -1;
        const ServiceOwner made(services,
                                services.CreateService(manager.Get(), kFirst, given, kServiceAllAccess, error));
        ASSERT_TRUE(made) << error;
        EXPECT_EQ(kErrorSuccess, error);
        EXPECT_TRUE(services.SetServiceDescription(made.Get(), description));
        const ServiceOwner second(services,
                                  services.CreateService(manager.Get(), kSecond, plain, kServiceAllAccess, error));
        ASSERT_TRUE(second) << error;
    }
    const ServiceOwner first(services, services.OpenService(manager.Get(), kFirst, kServiceQueryConfig));
    ASSERT_TRUE(first);
    ServiceConfig read;
    ASSERT_TRUE(services.ReadServiceConfig(first.Get(), read));
    EXPECT_EQ(given.serviceType, read.serviceType);
    EXPECT_EQ(given.startType, read.startType);
    EXPECT_EQ(given.binaryPath, read.binaryPath);
    EXPECT_EQ(given.errorControl, read.errorControl);
    EXPECT_EQ(given.loadOrderGroup, read.loadOrderGroup);
    EXPECT_EQ(given.account, read.account);
    EXPECT_EQ(given.displayName, read.displayName);
    if (contract::IsWine()) {
        // Wine's manager keeps the dependencies (DependOnService and
        // DependOnGroup of the service's key) and QueryServiceConfigW
        // answers none of them; Windows answers the list as it keeps it.
        EXPECT_TRUE(read.dependencies.empty());
        Registry registry(Machine().registry);
        registry.SetRootKey(kHkeyLocalMachine);
        ASSERT_TRUE(registry.OpenKey(std::string("\\System\\CurrentControlSet\\Services\\") + kFirst, false));
        const auto multi = [&](const char* name) {
            RegValue value;
            EXPECT_EQ(kErrorSuccess, registry.ReadValue(name, value)) << name;
            EXPECT_EQ(kRegMultiSz, value.type) << name;
            // Text data comes as UTF-8, each NUL kept.
            std::string text(value.data.begin(), value.data.end());
            std::replace(text.begin(), text.end(), '\0', '|');
            return text;
        };
        EXPECT_EQ("RpcSs|PlugPlay||", multi("DependOnService"));
        EXPECT_EQ("QmScratchOtherGroup||", multi("DependOnGroup"));
    } else {
        EXPECT_EQ(given.dependencies, read.dependencies);
    }
    std::optional<std::string> readDescription;
    ASSERT_TRUE(services.ReadServiceDescription(first.Get(), readDescription));
    EXPECT_EQ(description, readDescription.value_or("(none)"));

    // LocalSystem, no group, no dependencies and no description, as made.
    {
        const ServiceOwner second(
            services, services.OpenService(manager.Get(), kSecond, kServiceQueryConfig | kServiceChangeConfig));
        ASSERT_TRUE(second);
        ASSERT_TRUE(services.ReadServiceConfig(second.Get(), read));
        EXPECT_EQ(kServiceDisabled, read.startType);
        EXPECT_EQ("LocalSystem", read.account);
        EXPECT_EQ("", read.loadOrderGroup);
        EXPECT_TRUE(read.dependencies.empty());
        ASSERT_TRUE(services.ReadServiceDescription(second.Get(), readDescription));
        EXPECT_FALSE(readDescription) << *readDescription;
        // An empty description takes one away.
        EXPECT_TRUE(services.SetServiceDescription(second.Get(), "for a moment"));
        EXPECT_TRUE(services.SetServiceDescription(second.Get(), ""));
        ASSERT_TRUE(services.ReadServiceDescription(second.Get(), readDescription));
        EXPECT_FALSE(readDescription) << *readDescription;
        // Without the right to read the configuration, no description either.
        const ServiceOwner deleteOnly(services, services.OpenService(manager.Get(), kSecond, kServiceDelete));
        ASSERT_TRUE(deleteOnly);
        EXPECT_FALSE(services.ReadServiceDescription(deleteOnly.Get(), readDescription));
    }

    long error = -1;
    EXPECT_FALSE(services.CreateService(manager.Get(), "qmscratchone", plain, kServiceAllAccess, error));
    EXPECT_EQ(kErrorServiceExists, error);  // names ignore case
    {
        const ServiceOwner held(services, services.OpenService(manager.Get(), kFirst, kServiceAllAccess));
        ASSERT_TRUE(services.DeleteService(held.Get()));
        EXPECT_FALSE(services.CreateService(manager.Get(), kFirst, plain, kServiceAllAccess, error));
        EXPECT_EQ(kErrorServiceMarkedForDelete, error);
    }
    // A manager opened without the right to create services makes none.
    const ScManagerOwner connectOnly(services, services.OpenSCManager(kScManagerConnect));
    ASSERT_TRUE(connectOnly);
    EXPECT_FALSE(services.CreateService(connectOnly.Get(), kThird, plain, kServiceAllAccess, error));
    EXPECT_EQ(kErrorAccessDenied, error);
    EXPECT_FALSE(contract::ScratchServiceExists(kThird));
}

}  // namespace
}  // namespace qm
