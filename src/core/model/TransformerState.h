// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/UniqueRandomNumberGenerator.h"

#include <memory>

namespace quillory {

// Run-time state of an action, never stored. Copies of a record share the same generator, so the
// engine's copies and the list's record draw from one history.
struct TransformerState {
    std::shared_ptr<UniqueRandomNumberGenerator> randomNumberGenerator =
        std::make_shared<UniqueRandomNumberGenerator>();
};

} // namespace quillory
