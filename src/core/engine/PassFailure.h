// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <string>

namespace quillory {

// Why a full pass over the list did not complete.
struct PassFailure {
    enum class Kind {
        aborted, // stopped by request, or by the user in a dialog
        failed,  // an action could not compute a name
    };
    Kind kind = Kind::failed;
    std::string message; // the error's text when failed
};

using PassStatus = BasicStatus<PassFailure>;

} // namespace quillory
