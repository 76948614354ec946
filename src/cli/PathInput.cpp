// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathInput.h"

#include <istream>

namespace quillory::cli {

std::vector<std::string> readPaths(std::istream& in, bool nulSeparated) {
    std::vector<std::string> paths;
    for (std::string path; std::getline(in, path, nulSeparated ? '\0' : '\n');)
        if (!path.empty())
            paths.push_back(std::move(path));
    return paths;
}

} // namespace quillory::cli
