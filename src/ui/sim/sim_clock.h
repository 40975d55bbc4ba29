// Virtual time for the simulated machine. The main form's deletion report runs on it:
// a test lets time pass with Advance, and the timer fires at each deadline
// reached while the form has it enabled, as the message loop would deliver
// it. No test waits real time.
#pragma once
#include <cstdint>
#include <optional>

namespace qm {
class MainForm;
}

namespace qm::sim {

class SimClock {
public:
    std::uint64_t Now() const { return now_; }
    // Lets `form`'s deletion report run on this clock.
    void Attach(MainForm& form);
    // Lets `milliseconds` pass. May be called again from inside a handler
    // that fired (a message box is open and time goes on).
    void Advance(std::uint64_t milliseconds);
    // When the report timer fires next; none while no report is due.
    std::optional<std::uint64_t> ReportDeadline();
    int reportsFired = 0;  // ticks delivered to the form

private:
    // Takes up what the form did since the clock last looked: a report
    // that fell due starts the interval; one due again while it runs does not.
    void Sync();

    MainForm* form_ = nullptr;
    int handlers_ = 0;  // report handlers running now
    std::uint64_t now_ = 0;
    std::optional<std::uint64_t> deadline_;
};

}  // namespace qm::sim
