// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/TransformError.h"

namespace quillory {

// A value or a TransformError. Hot paths (quick passes over many files) return this instead of throwing.
template <typename T> using TransformResult = Result<T, TransformError>;

// Success, or the TransformError that stopped the action for this file.
using TransformStatus = BasicStatus<TransformError>;

} // namespace quillory
