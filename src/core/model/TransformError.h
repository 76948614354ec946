// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// Why an action could not compute a name for a file. Carried as a value (TransformResult), never thrown.
struct TransformError {
    enum class Kind { fatal, lateUpdateRequired, aborted };

    Kind kind = Kind::fatal;
    std::string messageText;     // fatal only: the two texts shown to the user
    std::string informativeText;

    static TransformError fatal(std::string messageText, std::string informativeText) {
        return {Kind::fatal, std::move(messageText), std::move(informativeText)};
    }
    static TransformError lateUpdateRequired() { return {Kind::lateUpdateRequired, {}, {}}; }
    static TransformError aborted() { return {Kind::aborted, {}, {}}; }

    bool isFatal() const { return kind == Kind::fatal; }
    bool isLateUpdateRequired() const { return kind == Kind::lateUpdateRequired; }
    bool isAborted() const { return kind == Kind::aborted; }

    // The text logged and shown as the error's description.
    std::string description() const;

    bool operator==(const TransformError&) const = default;
};

} // namespace quillory
