// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/gps/GPSError.h"

#include <string>

namespace quillory {

// The outcome of an address token. The attribute resolver maps it onto its transform error:
// `text` → the text; `lateUpdateRequired` → TransformError lateUpdateRequired; `aborted` →
// TransformError aborted; `failed` → TransformError fatal with error.messageText and
// error.informativeText.
struct GPSLookupResult {
    enum class Kind { text, lateUpdateRequired, aborted, failed };

    Kind kind = Kind::text;
    std::string text;
    GPSError error;

    static GPSLookupResult ofText(std::string text) { return {Kind::text, std::move(text), {}}; }
    static GPSLookupResult lateUpdate() { return {Kind::lateUpdateRequired, {}, {}}; }
    static GPSLookupResult abortedByUser() { return {Kind::aborted, {}, {}}; }
    static GPSLookupResult failure(GPSError error) { return {Kind::failed, {}, std::move(error)}; }
    bool isText() const { return kind == Kind::text; }
};

} // namespace quillory
