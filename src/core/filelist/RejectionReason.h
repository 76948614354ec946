// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quillory {

// Why a folder was refused. The raw value is the text shown to the user.
enum class RejectionReason { restrictedPath, readonlyPath, readonlyVolume, error };

constexpr std::string_view rawValue(RejectionReason reason) {
    switch (reason) {
    case RejectionReason::restrictedPath:
        return "Path is restricted";
    case RejectionReason::readonlyPath:
        return "Path is read only";
    case RejectionReason::readonlyVolume:
        return "Volume is read only";
    case RejectionReason::error:
        break;
    }
    return "Not accessible";
}

} // namespace quillory
