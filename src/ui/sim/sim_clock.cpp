#include "ui/sim/sim_clock.h"

#include <algorithm>

#include "forms/main_form.h"

namespace qm::sim {

void SimClock::Attach(MainForm& form) {
    form_ = &form;
    deadline_.reset();
    Sync();
}

void SimClock::Sync() {
    if (!form_ || !form_->deletionReportDue) deadline_.reset();
    else if (!deadline_) deadline_ = now_ + MainForm::kDeletionReportDelayMs;
}

std::optional<std::uint64_t> SimClock::ReportDeadline() {
    Sync();
    return deadline_;
}

void SimClock::Advance(std::uint64_t milliseconds) {
    // Whatever the form changed happened at the present time, before any
    // passes. Inside a handler, though, the Win32 window takes up the form's
    // timer state only when a handler returns: a handler that stops the timer
    // and then opens a message box still gets the tick that falls due
    // meanwhile, so the clock delivers it too.
    if (handlers_ == 0) Sync();
    const std::uint64_t until = now_ + milliseconds;
    while (deadline_ && *deadline_ <= until) {
        now_ = *deadline_;
        // A timer fires again each interval until it is stopped.
        deadline_ = now_ + MainForm::kDeletionReportDelayMs;
        ++reportsFired;
        ++handlers_;
        form_->ReportServiceDeletions();
        --handlers_;
        Sync();
    }
    now_ = std::max(now_, until);
}

}  // namespace qm::sim
