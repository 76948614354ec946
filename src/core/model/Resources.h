// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace quillory {

// Files of resources/ compiled into the binary, looked up by file name ("TokenDetails.plist").
std::optional<std::string_view> embeddedResource(std::string_view name);

} // namespace quillory
