// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecipeLibrary.h"

#include <algorithm>
#include <cstdlib>

namespace quillory::cli::recipeLibrary {
namespace {

constexpr std::string_view extension = ".recipe";

} // namespace

std::filesystem::path folder() {
    // The XDG rules ignore relative values.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "quillory" / "recipes";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/tmp") / ".local" / "share" / "quillory" / "recipes";
}

bool isName(const std::string& argument) {
    return !argument.empty() && argument.find('/') == std::string::npos && argument.front() != '{' &&
           argument.front() != '~';
}

std::optional<std::filesystem::path> pathOf(const std::string& name) {
    if (!isName(name))
        return std::nullopt;
    std::string file = name.ends_with(extension) ? name : name + std::string(extension);
    if (file.size() == extension.size() || name == "." || name == "..")
        return std::nullopt;
    return folder() / file;
}

std::optional<std::string> resolve(const std::string& argument) {
    std::error_code ec;
    if (!isName(argument) || std::filesystem::exists(argument, ec))
        return argument;
    const auto path = pathOf(argument);
    if (!path || !std::filesystem::is_regular_file(*path, ec))
        return std::nullopt;
    return path->string();
}

std::vector<std::string> names() {
    std::vector<std::string> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() > extension.size() && file.ends_with(extension) && file.front() != '.' &&
            it->is_regular_file(ec))
            found.push_back(file.substr(0, file.size() - extension.size()));
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace quillory::cli::recipeLibrary
