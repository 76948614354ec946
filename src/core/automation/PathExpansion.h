// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The user's home folder: $HOME, else the password database; no trailing "/".
std::string homeDirectory();

// "~" and "~/..." become the home folder; anything else ("~bob/x" included) is returned unchanged.
std::string expandTilde(std::string_view path, std::string_view home);
std::string expandTilde(std::string_view path);

} // namespace quillory
