// The one owner of a handle: however it changes hands, each handle goes back
// exactly once, through the interface that gave it out.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/constants.h"
#include "platform/owner.h"
#include "platform/sim/sim.h"

namespace qm {
namespace {

// Gives a handle back by writing it down, so a test sees each release and
// which releaser made it.
struct Recorder {
    std::vector<int>* released = nullptr;
    void operator()(int handle) const { released->push_back(handle); }
};
using Recorded = Owner<int, Recorder>;

TEST(Owner, AMovedHandleIsReleasedOnceByItsNewOwner) {
    std::vector<int> released;
    {
        Recorded first(Recorder{&released}, 7);
        {
            Recorded second(std::move(first));
            EXPECT_FALSE(first);
            EXPECT_EQ(7, second.Get());
        }
        EXPECT_EQ(std::vector<int>{7}, released);  // the new owner's end
    }
    EXPECT_EQ(std::vector<int>{7}, released);  // the old owner held nothing
}

TEST(Owner, MoveAssignmentFirstReleasesWhatTheTargetHeld) {
    struct Case {
        int target, source;
        std::vector<int> byTarget;  // released by the target's releaser
        std::vector<int> bySource;  // released by the source's
    };
    const Case cases[] = {
        {3, 7, {3}, {7}},
        {0, 7, {}, {7}},  // an empty target has nothing to give back
        {3, 0, {3}, {}},  // moving nothing in still gives the old one back
    };
    for (const Case& c : cases) {
        std::vector<int> byTarget, bySource;
        {
            Recorded target(Recorder{&byTarget}, c.target);
            Recorded source(Recorder{&bySource}, c.source);
            target = std::move(source);
            EXPECT_EQ(c.byTarget, byTarget) << c.target << " <- " << c.source;
            EXPECT_TRUE(bySource.empty()) << c.target << " <- " << c.source;
            EXPECT_FALSE(source);
            EXPECT_EQ(c.source, target.Get());
        }
        // The moved handle went back through the releaser that came with it.
        EXPECT_EQ(c.byTarget, byTarget) << c.target << " <- " << c.source;
        EXPECT_EQ(c.bySource, bySource) << c.target << " <- " << c.source;
    }
}

TEST(Owner, MovingAnOwnerOntoItselfKeepsItsHandle) {
    std::vector<int> released;
    {
        Recorded owner(Recorder{&released}, 7);
        Recorded& same = owner;
        owner = std::move(same);
        EXPECT_TRUE(released.empty());
        EXPECT_EQ(7, owner.Get());
    }
    EXPECT_EQ(std::vector<int>{7}, released);
}

// Keys opened in a routine and handed out of it, kept in a list that moves
// them as it grows: usable while owned, all closed when the list goes.
KeyOwner OpenRunKey(IRegistry& registry) {
    KeyHandle key;
    EXPECT_EQ(kErrorSuccess,
              registry.OpenKey(kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKeyRead, key));
    return KeyOwner(registry, key);
}

TEST(Owner, PlatformHandlesMovedBetweenOwnersAreClosedOnce) {
    sim::SimMachine machine;
    machine.registry.SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "C:\\tool.exe");
    {
        std::vector<KeyOwner> keys;
        for (int i = 0; i < 5; ++i) keys.push_back(OpenRunKey(machine.registry));
        EXPECT_EQ(5, machine.registry.OpenHandles());
        for (const KeyOwner& key : keys) {
            std::uint32_t subKeys = 0, values = 0;
            EXPECT_EQ(kErrorSuccess, machine.registry.QueryInfoKey(key.Get(), subKeys, values));
            EXPECT_EQ(1u, values);
        }
    }
    EXPECT_EQ(0, machine.registry.OpenHandles());
}

}  // namespace
}  // namespace qm
