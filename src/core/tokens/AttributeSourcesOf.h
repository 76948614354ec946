// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/AttributeSources.h"
#include "model/Transformer.h"

#include <string_view>
#include <vector>

namespace quillory {

// The sources a token's value comes from: none for the original name and the parent folders, which
// the path gives; all of them for an id no reader is known to give, so that nothing is missed.
AttributeSources attributeSourcesOf(std::string_view tokenId);
// The sources the attribute tokens of a chain's enabled actions need.
AttributeSources attributeSourcesOf(const std::vector<Transformer>& chain);

} // namespace quillory
