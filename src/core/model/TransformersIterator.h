// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Transformer.h"

#include <cstddef>
#include <iterator>

namespace quillory {

class Transformers;

// Walks a Transformers list by position, yielding copies of the records.
class TransformersIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Transformer;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Transformer;

    TransformersIterator(const Transformers* transformers, std::size_t index)
        : transformers(transformers), index(index) {}

    Transformer operator*() const;
    TransformersIterator& operator++() {
        ++index;
        return *this;
    }
    bool operator==(const TransformersIterator& other) const;

    const Transformers* transformers;
    std::size_t index;
};

} // namespace quillory
