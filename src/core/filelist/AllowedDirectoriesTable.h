// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class DirectoryValidator;
class UserInteraction;

// The logic behind the preferences window's table of allowed directories: fixed rows (home and
// volumes) are locked, custom rows can be added, edited and removed, and "/" is discouraged.
class AllowedDirectoriesTable {
public:
    static constexpr std::string_view lockedStatus = "🔒";
    static constexpr std::string_view discouragedStatus = "⚠️";
    static constexpr std::string_view acceptedStatus = "✓";
    static constexpr std::string_view discouragedMessage =
        "⚠️ Using / is discouraged because it allows any directory. Please change it to something more specific.";

    struct Row {
        std::string directoryPath;
        std::string directoryStatus;
        bool isFixed = false;
    };

    AllowedDirectoriesTable(DirectoryValidator& validator, UserInteraction& interaction);

    std::vector<Row> rows() const;
    // The message shown below the table: the warning while a custom entry is "/", otherwise empty.
    std::string message() const;

    // Appends the entry "/" to the custom list and stores it; the user edits it next.
    void addRow();
    // Replaces a custom entry after checking it; shows "Invalid directory" and changes nothing when the
    // row is fixed or the path breaks a rule. True when stored.
    bool editRow(std::size_t row, const std::string& newPath);
    // Removes a custom entry; fixed rows and rows out of range are left alone. True when removed.
    bool removeRow(std::size_t row);

private:
    DirectoryValidator& validator_;
    UserInteraction& interaction_;
};

} // namespace quillory
