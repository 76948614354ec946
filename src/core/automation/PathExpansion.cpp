// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/PathExpansion.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace quillory {

std::string homeDirectory() {
    std::string home;
    if (const char* value = std::getenv("HOME"); value && *value)
        home = value;
    else if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        home = entry->pw_dir;
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home;
}

std::string expandTilde(std::string_view path, std::string_view home) {
    // Another user's home ("~bob") is not ours to guess: leave it as written.
    if (path == "~" || path.starts_with("~/"))
        return std::string(home) + std::string(path.substr(1));
    return std::string(path);
}

std::string expandTilde(std::string_view path) { return expandTilde(path, homeDirectory()); }

} // namespace quillory
