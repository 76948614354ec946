// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <functional>

namespace quillory {

// Reads a file's attribute map from the given sources (FileAttributeUtil::load in the application).
using AttributeLoader = std::function<FileAttributes(const File&, AttributeSources)>;

} // namespace quillory
