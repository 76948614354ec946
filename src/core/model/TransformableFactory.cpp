// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TransformableFactory.h"

namespace quillory {

// The action kinds are added here as they are written: a switch over the type ids of TransformerTypes.h.
// Until then no record has a kind object, and the engine skips every record.
std::unique_ptr<Transformable> makeTransformable(const Transformer&) {
    return nullptr;
}

} // namespace quillory
