// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FileAction.h"

namespace quillory {

std::string_view displayWord(FileAction action) {
    switch (action) {
    case FileAction::replace:
    case FileAction::move:
        return "Open";
    case FileAction::append:
        return "Append";
    case FileAction::remove:
        return "Remove";
    case FileAction::clear:
        break;
    }
    return "Clear";
}

std::string undoActionName(FileAction action, std::size_t oldCount, std::size_t newCount, bool undoing) {
    if (action == FileAction::move)
        return "Move files";
    if (undoing)
        std::swap(oldCount, newCount);
    std::size_t count = 0;
    switch (action) {
    case FileAction::replace:
    case FileAction::append:
        count = newCount;
        break;
    case FileAction::remove:
        count = oldCount >= newCount ? oldCount - newCount : 0;
        break;
    case FileAction::clear:
    case FileAction::move:
        count = oldCount;
        break;
    }
    return std::string(displayWord(action)) + " " + std::to_string(count) + " files";
}

} // namespace quillory
