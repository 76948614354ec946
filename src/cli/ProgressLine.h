// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Session.h"

#include <chrono>
#include <iosfwd>
#include <string>

namespace quillory::cli {

// One line on standard error that tells where a long run is ("Renaming 120/2000"), rewritten in
// place. Shown only once the run has taken `delay` (short runs would flicker) and at most every
// `interval`; cleared when the line is done with.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& err, bool enabled, std::chrono::milliseconds delay = std::chrono::seconds(1),
                 std::chrono::milliseconds interval = std::chrono::milliseconds(100));
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(const SessionProgress& progress);
    // Removes the line, so that what is written next starts on a clean line.
    void clear();

    bool shown() const { return shown_; }
    // The words for one step: "Opening: 120 files found", "Renaming 3/10".
    static std::string text(const SessionProgress& progress);

    // A callback for the session's long operations.
    ProgressCallback callback() {
        return [this](const SessionProgress& progress) { update(progress); };
    }

private:
    std::ostream& err_;
    bool enabled_;
    std::chrono::milliseconds interval_;
    Clock::time_point next_;
    bool shown_ = false;
};

} // namespace quillory::cli
