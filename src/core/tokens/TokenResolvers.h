// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/TokenResolver.h"

#include <memory>

namespace quillory {

// The two resolvers, registered together in the registry at start-up; Transformable looks them up
// here unless it was given its own.
struct TokenResolvers {
    std::shared_ptr<TokenResolver> full;
    std::shared_ptr<TokenResolver> quick;
};

} // namespace quillory
