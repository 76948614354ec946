// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillory {

// The kind of a user-visible change of the file list.
enum class FileAction { replace, append, remove, move, clear };

// The word used in undo action names ("Open", "Append", "Remove", "Open", "Clear").
std::string_view displayWord(FileAction action);

// "Move files", or "<word> <count> files" where the count is the number of files opened, added,
// removed or cleared; while undoing, the old and new counts swap roles.
std::string undoActionName(FileAction action, std::size_t oldCount, std::size_t newCount, bool undoing);

} // namespace quillory
