// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/MovePlan.h"

#include "rename/FolderCase.h"
#include "rename/PositionTable.h"

#include <random>

namespace quillory {
namespace {

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path.empty() ? std::string("/") : path;
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

} // namespace

bool MovePlan::isFolderEntry(const File& file) { return file.source.isFolderEntry(); }

bool MovePlan::changes(const File& file) { return changes(file.source, file.transformed); }

bool MovePlan::changes(const FileSource& source, const FileTransform& t) {
    return t.transformedName != source.name || t.transformedPath != source.path || t.transformedExt != source.ext;
}

bool MovePlan::willMove(const File& file, bool renameEmptyFolders) {
    return willMove(file.source, file.transformed, file.validation, renameEmptyFolders);
}

bool MovePlan::willMove(const FileSource& source, const FileTransform& t, const FileValidation& validation,
                        bool renameEmptyFolders) {
    return validation.errors.empty() && changes(source, t) && (!source.name.empty() || renameEmptyFolders);
}

std::string MovePlan::sourceOf(const File& file) { return sourceOf(file.source); }

std::string MovePlan::sourceOf(const FileSource& source) {
    return source.isFolderEntry() ? withoutTrailingSlash(source.path) : source.fullPath();
}

std::string MovePlan::targetOf(const File& file, std::string_view suffix) {
    return targetOf(file.source, file.transformed, suffix);
}

std::string MovePlan::targetOf(const FileSource& source, const FileTransform& t, std::string_view suffix) {
    // A folder entry stands for its folder: its new path is where the folder goes.
    if (source.isFolderEntry())
        return withoutTrailingSlash(t.transformedPath) + std::string(suffix);
    const std::string& ext = t.transformedExt;
    const bool dot = !ext.empty() && ext.front() != '.';
    std::string target;
    target.reserve(t.transformedPath.size() + t.transformedName.size() + suffix.size() + ext.size() + 2);
    target.append(t.transformedPath).append(1, '/').append(t.transformedName).append(suffix);
    if (dot)
        target.append(1, '.');
    return target.append(ext);
}

std::string MovePlan::temporaryName(const std::string& path, std::string_view tag, std::size_t number) {
    const std::string folder(enclosingFolder(path));
    return (folder == "/" ? std::string() : folder) + "/" + std::string(temporaryPrefix) + std::string(tag) + "-" +
           std::to_string(number);
}

MovePlan MovePlan::build(const std::vector<File>& files, bool renameEmptyFolders, std::string_view temporaryTag,
                         FolderCase* folderCase) {
    std::vector<Move> moves;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const File& file = files[i];
        if (!MovePlan::willMove(file, renameEmptyFolders))
            continue;
        moves.push_back({i, sourceOf(file), targetOf(file), isFolderEntry(file)});
    }
    return order(std::move(moves), temporaryTag, folderCase);
}

MovePlan MovePlan::order(std::vector<Move> moves, std::string_view temporaryTag, FolderCase* folderCase) {
    MovePlan plan;
    plan.moves = std::move(moves);
    orderSteps(plan, temporaryTag, folderCase);
    return plan;
}

void MovePlan::orderSteps(MovePlan& plan, std::string_view temporaryTag, FolderCase* folderCase) {
    plan.steps.clear();
    const std::size_t count = plan.moves.size();
    // Where a folder ignores case, "a" and "A" are one name: sources and targets meet by their keys.
    // Only folded keys are made; elsewhere a path is its own key.
    const auto folded = [folderCase](const std::string& path) {
        return folderCase && folderCase->foldsName(path) ? folderCase->key(path) : std::string();
    };
    // Kept only once a source has one: most runs have none, and a key apiece would cost a string a move.
    std::vector<std::string> sourceKeys;
    if (folderCase) {
        for (std::size_t i = 0; i < count; ++i) {
            if (std::string key = folded(plan.moves[i].source); !key.empty()) {
                sourceKeys.resize(count);
                sourceKeys[i] = std::move(key);
            }
        }
    }
    const auto sourceKey = [&](std::size_t i) {
        const bool hasKey = !sourceKeys.empty() && !sourceKeys[i].empty();
        return hasKey ? std::string_view(sourceKeys[i]) : std::string_view(plan.moves[i].source);
    };
    PositionTable bySource(count);
    for (std::size_t i = 0; i < count; ++i)
        bySource.add(sourceKey(i), i, sourceKey);

    // Each target is held by at most one moving source and each source is wanted by at most one move,
    // so the moves form simple chains and cycles. A move blocked by itself changes only letter case in
    // a folder that ignores case: a cycle of one, which goes through a temporary name like any other.
    std::vector<std::size_t> blocker(count, kNone);
    for (std::size_t i = 0; i < count; ++i) {
        if (plan.moves[i].target == plan.moves[i].source)
            continue;
        const std::string key = folded(plan.moves[i].target);
        const std::string_view target = key.empty() ? std::string_view(plan.moves[i].target) : std::string_view(key);
        if (const auto found = bySource.find(target, sourceKey))
            blocker[i] = *found;
    }

    enum : char { unvisited, onPath, emitted };
    std::vector<char> state(count, unvisited);
    std::vector<std::size_t> path;
    std::size_t group = 0;
    std::size_t temporaries = 0;
    const auto direct = [&](std::size_t m, std::size_t g) {
        plan.steps.push_back({m, StepKind::direct, blocker[m] == kNone, {}, g});
        state[m] = emitted;
    };
    plan.steps.reserve(count);
    for (std::size_t start = 0; start < count; ++start) {
        if (state[start] != unvisited)
            continue;
        if (plan.moves[start].target == plan.moves[start].source) {
            state[start] = emitted;
            continue;
        }
        path.clear();
        std::size_t at = start;
        while (at != kNone && state[at] == unvisited) {
            state[at] = onPath;
            path.push_back(at);
            at = blocker[at];
        }
        std::size_t tailEnd = path.size(); // moves path[0..tailEnd) wait for the ones after them
        if (at != kNone && state[at] == onPath) {
            // A cycle from `at` to the end of the path: park `at` under a temporary name, move the
            // others back to front, then bring `at` to its target.
            std::size_t cycleStart = 0;
            while (path[cycleStart] != at)
                ++cycleStart;
            const std::size_t g = ++group;
            const Move& parked = plan.moves[at];
            std::string temporary = temporaryName(parked.source, temporaryTag, temporaries++);
            plan.steps.push_back({at, StepKind::toTemporary, false, temporary, g});
            for (std::size_t k = path.size(); k-- > cycleStart + 1;)
                direct(path[k], g);
            plan.steps.push_back({at, StepKind::fromTemporary, false, std::move(temporary), g});
            state[at] = emitted;
            tailEnd = cycleStart;
        }
        for (std::size_t k = tailEnd; k-- > 0;)
            direct(path[k], ++group);
    }
}

std::vector<std::pair<std::string_view, std::string_view>> MovePlan::endpoints(std::size_t first,
                                                                          std::size_t end) const {
    std::vector<std::pair<std::string_view, std::string_view>> views;
    views.reserve(end - first);
    for (std::size_t m = first; m < end; ++m)
        views.emplace_back(moves[m].source, moves[m].target);
    return views;
}

std::string MovePlan::randomTag() {
    static const char digits[] = "0123456789abcdef";
    std::random_device device;
    std::string tag(8, '0');
    for (char& c : tag)
        c = digits[device() % 16];
    return tag;
}

} // namespace quillory
