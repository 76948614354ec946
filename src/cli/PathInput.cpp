// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathInput.h"

#include "app/PreferenceKey.h"
#include "app/Preferences.h"

#include <filesystem>

#include <istream>

namespace quillory::cli {

std::vector<std::string> readPaths(std::istream& in, bool nulSeparated) {
    std::vector<std::string> paths;
    for (std::string path; std::getline(in, path, nulSeparated ? '\0' : '\n');)
        if (!path.empty())
            paths.push_back(std::move(path));
    return paths;
}

void allowForThisRun(Preferences& preferences, const std::vector<std::string>& folders) {
    if (folders.empty())
        return;
    auto directories = preferences.strings(PreferenceKey::customDirectories);
    for (const auto& allowed : folders) {
        std::error_code ec;
        directories.push_back(std::filesystem::absolute(allowed, ec).lexically_normal().string());
    }
    preferences.setTransient(PreferenceKey::customDirectories, directories);
}

} // namespace quillory::cli
