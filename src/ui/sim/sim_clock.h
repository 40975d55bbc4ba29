// Virtual time for the simulated machine. The main form's Timer1 runs on it:
// a test lets time pass with Advance, and the timer fires at each deadline
// reached while the form has it enabled, as the message loop would deliver
// it. No test waits real time.
#pragma once
#include <cstdint>
#include <optional>

namespace qm {
class TMainForm;
}

namespace qm::sim {

class SimClock {
public:
    std::uint64_t Now() const { return now_; }
    // Lets `form`'s Timer1 run on this clock.
    void Attach(TMainForm& form);
    // Lets `milliseconds` pass. May be called again from inside a handler
    // that fired (a message box is open and time goes on).
    void Advance(std::uint64_t milliseconds);
    // When Timer1 fires next; none while it is off.
    std::optional<std::uint64_t> Timer1Deadline();
    int timer1Fired = 0;  // ticks delivered to the form

private:
    // Takes up what the form did since the clock last looked: enabling
    // Timer1 starts its interval, enabling it again while it runs does not.
    void Sync();

    TMainForm* form_ = nullptr;
    int handlers_ = 0;  // Timer1 handlers running now
    std::uint64_t now_ = 0;
    std::optional<std::uint64_t> deadline_;
};

}  // namespace qm::sim
