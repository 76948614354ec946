// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillory {

struct File;

// One file as scripting sees it: where it is, where the chain puts it, and what validation says.
struct ScriptObjectFile {
    std::string identifier;  // the file's id, upper case
    std::string displayName; // the current full path
    std::string path;
    std::string name;
    std::string ext;
    std::string transformedPath;
    std::string transformedName;
    std::string transformedExt;
    std::string transformedFullPath;
    std::vector<std::string> warnings; // in set order
    std::vector<std::string> errors;   // in set order
    std::string uniqueSuffix;

    static ScriptObjectFile from(const File& file);
    bool operator==(const ScriptObjectFile&) const = default;
};

} // namespace quillory
