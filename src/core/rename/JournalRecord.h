// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/ItemIdentity.h"
#include "rename/MovePlan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// One run as its journal tells it: the plan with the identity of every source, what was done, and how
// the run ended. A journal read only for the history has its header and ending but no moves.
struct JournalRecord {
    struct Move {
        std::string source;
        std::string target;
        bool isFolder = false;
        std::optional<ItemIdentity> identity; // of the source, before the run
    };
    struct Step {
        std::size_t move = 0;
        MovePlan::StepKind kind = MovePlan::StepKind::direct;
        std::string from;
        std::string to;
        std::string detour; // a temporary name the run took the item through unplanned (a letter-case rename)
    };

    std::string id;
    int pid = 0;
    std::int64_t started = 0; // seconds since the epoch
    std::string kind = "rename"; // "rename", or "undo" for a run that undid another
    std::string undoOf;          // the run an undo run undid
    std::string folder;          // the folder all sources share
    std::size_t moveCount = 0;

    std::vector<Move> moves;
    std::vector<Step> steps;
    bool planned = false;          // the whole plan was written
    std::vector<char> stepDone;    // per step
    std::vector<std::string> createdFolders;
    std::vector<std::string> removedFolders;

    bool closed = false;
    std::string endState; // "done", "aborted", "failed", "rolled-back", "finished"
    int renamed = 0;
    int failed = 0;
    int notTried = 0;
    std::string undoneBy; // the run that undid this one

    bool interrupted() const { return !closed; }
};

} // namespace quillory
