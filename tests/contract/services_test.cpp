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

class ServicesContract : public ::testing::Test {
protected:
    void SetUp() override { RemoveAll(); }
    void TearDown() override { RemoveAll(); }
    static void RemoveAll() {
        for (const char* name : {kFirst, kSecond}) contract::RemoveScratchService(name);
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

}  // namespace
}  // namespace qm
