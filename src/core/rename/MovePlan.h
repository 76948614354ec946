// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// What a rename run will do on disk, worked out before the first move: every file's source and final
// target (its unique suffix included), and the order of the moves. A target still held by another
// moving item is vacated before it is taken; cycles (swaps, rotations) go through a temporary name in
// the source's folder, and so does a rename that changes only letter case in a folder that ignores
// case. The preview, the journal and the run all read the same plan.
class FolderCase;

class MovePlan {
public:
    struct Move {
        std::size_t item = 0; // position in the list the plan was built from
        std::string source;
        std::string target;
        bool isFolder = false;
    };

    enum class StepKind { direct, toTemporary, fromTemporary };

    // A step takes its move's item from the source to the target, or through the temporary name: from the
    // source to it, or from it to the target. Only that name is the step's own; the rest is the move's.
    struct Step {
        std::size_t move = 0; // index into moves
        StepKind kind = StepKind::direct;
        // A direct step whose target is no moving item's source: it waits for no other step, so a run
        // of such steps may go in any order.
        bool unblocked = false;
        std::string temporary; // empty for a direct step
        std::size_t group = 0; // steps of one cycle share a group; a run stops only between groups
    };

    std::vector<Move> moves; // list order
    std::vector<Step> steps; // execution order; a move whose target is its source has none

    const std::string& from(const Step& step) const {
        return step.kind == StepKind::fromTemporary ? step.temporary : moves[step.move].source;
    }
    const std::string& to(const Step& step) const {
        return step.kind == StepKind::toTemporary ? step.temporary : moves[step.move].target;
    }

    // The source and target of moves [first, end), as views of the plan's own texts.
    std::vector<std::pair<std::string_view, std::string_view>> endpoints(std::size_t first, std::size_t end) const;

    // The plan for the files that move: no errors, something changed, and (for folder entries) the
    // preference allows it. `temporaryTag` makes the temporary names of this run its own. Without
    // `folderCase` every folder is taken to tell letter case apart.
    static MovePlan build(const std::vector<File>& files, bool renameEmptyFolders, std::string_view temporaryTag,
                          FolderCase* folderCase = nullptr);
    // Orders given moves (sources unique, targets unique, as their folders compare names).
    static MovePlan order(std::vector<Move> moves, std::string_view temporaryTag, FolderCase* folderCase = nullptr);
    // The same for a plan that holds its moves and no steps yet. Reads the moves and never changes them, so
    // another thread may read them meanwhile.
    static void orderSteps(MovePlan& plan, std::string_view temporaryTag, FolderCase* folderCase = nullptr);

    static bool isFolderEntry(const File& file);
    static bool changes(const File& file);
    static bool willMove(const File& file, bool renameEmptyFolders);
    // Where the item is now, without a trailing "/".
    static std::string sourceOf(const File& file);
    // Where it goes: the computed location with the given suffix before the extension (folders: at the end).
    static std::string targetOf(const File& file, std::string_view suffix);
    static std::string targetOf(const File& file) { return targetOf(file, file.validation.uniqueSuffix); }
    // The same on the components of a record, for readers of the list's storage.
    static bool changes(const FileSource& source, const FileTransform& transformed);
    static bool willMove(const FileSource& source, const FileTransform& transformed, const FileValidation& validation,
                         bool renameEmptyFolders);
    static std::string sourceOf(const FileSource& source);
    static std::string targetOf(const FileSource& source, const FileTransform& transformed, std::string_view suffix);
    // Eight random hex digits that make one run's temporary names its own.
    static std::string randomTag();

    // A name in the folder of `path` for a cycle's temporary step.
    static std::string temporaryName(const std::string& path, std::string_view tag, std::size_t number);
    static constexpr std::string_view temporaryPrefix = ".quillory-cycle-";
};

} // namespace quillory
