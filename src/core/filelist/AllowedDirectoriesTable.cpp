// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/AllowedDirectoriesTable.h"

#include "app/UserInteraction.h"
#include "filelist/DirectoryValidator.h"

namespace quillory {

AllowedDirectoriesTable::AllowedDirectoriesTable(DirectoryValidator& validator, UserInteraction& interaction)
    : validator_(validator), interaction_(interaction) {}

std::vector<AllowedDirectoriesTable::Row> AllowedDirectoriesTable::rows() const {
    std::vector<Row> result;
    for (const auto& directory : validator_.supportedDirectories())
        result.push_back({directory, std::string(lockedStatus), true});
    for (const auto& directory : validator_.customDirectories())
        result.push_back({directory, std::string(directory == "/" ? discouragedStatus : acceptedStatus), false});
    return result;
}

std::string AllowedDirectoriesTable::message() const {
    for (const auto& directory : validator_.customDirectories())
        if (directory == "/")
            return std::string(discouragedMessage);
    return {};
}

void AllowedDirectoriesTable::addRow() {
    auto custom = validator_.customDirectories();
    custom.push_back("/");
    validator_.setCustomDirectories(std::move(custom));
}

bool AllowedDirectoriesTable::editRow(std::size_t row, const std::string& newPath) {
    const std::size_t fixedCount = validator_.supportedDirectories().size();
    if (row < fixedCount) {
        interaction_.showAlert("Invalid directory", "Fixed directories cannot be edited");
        return false;
    }
    auto custom = validator_.customDirectories();
    const std::size_t index = row - fixedCount;
    if (index >= custom.size())
        return false;
    auto messages = validator_.validatePath(newPath, "");
    if (!messages.empty()) {
        std::string text;
        for (const auto& message : messages)
            text += (text.empty() ? "" : "\n") + message;
        interaction_.showAlert("Invalid directory", text);
        return false;
    }
    custom[index] = newPath;
    validator_.setCustomDirectories(std::move(custom));
    return true;
}

bool AllowedDirectoriesTable::removeRow(std::size_t row) {
    const std::size_t fixedCount = validator_.supportedDirectories().size();
    auto custom = validator_.customDirectories();
    if (row < fixedCount || row - fixedCount >= custom.size())
        return false;
    custom.erase(custom.begin() + static_cast<std::ptrdiff_t>(row - fixedCount));
    validator_.setCustomDirectories(std::move(custom));
    return true;
}

} // namespace quillory
