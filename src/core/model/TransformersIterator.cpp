// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TransformersIterator.h"

#include "model/Transformers.h"

namespace quillory {

Transformer TransformersIterator::operator*() const {
    // A record removed meanwhile yields an empty record rather than reading past the list.
    return transformers->actor().transformerAt(index).value_or(Transformer());
}

bool TransformersIterator::operator==(const TransformersIterator& other) const {
    return transformers == other.transformers && index == other.index;
}

} // namespace quillory
