// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressLine.h"

#include <ostream>

namespace quillory::cli {

ProgressLine::ProgressLine(std::ostream& err, bool enabled, std::chrono::milliseconds delay,
                           std::chrono::milliseconds interval)
    : err_(err), enabled_(enabled), interval_(interval), next_(Clock::now() + delay) {}

std::string ProgressLine::text(const SessionProgress& progress) {
    const auto fraction = [&] { return std::to_string(progress.done) + "/" + std::to_string(progress.total); };
    switch (progress.stage) {
    case SessionStage::opening:
        return "Opening: " + std::to_string(progress.done) + (progress.done == 1 ? " file" : " files") + " found";
    case SessionStage::readingAttributes:
    case SessionStage::computing:
        return "Reading metadata and computing names " + fraction();
    case SessionStage::lookingUpPlaces:
        return "Looking up places " + fraction();
    case SessionStage::validating:
        return "Checking the new names " + fraction();
    case SessionStage::renaming:
        return "Renaming " + fraction();
    }
    return {};
}

void ProgressLine::update(const SessionProgress& progress) {
    if (!enabled_)
        return;
    const auto now = Clock::now();
    // The last step of a stage is always shown once the line is up, so that it never stops short.
    const bool last = progress.total > 0 && progress.done == progress.total;
    if (now < next_ && !(last && shown_))
        return;
    next_ = now + interval_;
    err_ << "\r" << text(progress) << "\033[K" << std::flush;
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_)
        return;
    err_ << "\r\033[K" << std::flush;
    shown_ = false;
}

} // namespace quillory::cli
