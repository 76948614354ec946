// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/Transformable.h"
#include "model/Transformer.h"

#include <memory>

namespace quillory {

// The kind object for a record: its type id picks the kind, which gets the kind's help text and the
// record's state. nullptr for a type id without a kind (the engine skips such records).
std::unique_ptr<Transformable> makeTransformable(const Transformer& transformer);

} // namespace quillory
