// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileError.h"
#include "rename/ItemIdentity.h"
#include "rename/MovePlan.h"
#include "rename/RenameReport.h"

#include <cstddef>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// Keeps a record of a rename run as it happens, so that an interrupted run can be finished or rolled
// back and a finished one undone. The renamer calls it; the journal implements it.
class RunRecorder {
public:
    virtual ~RunRecorder() = default;

    // The record of a plan's moves with their sources' identities, which needs the moves alone: made on
    // another core while the caller orders them. `plan` must outlive it, and its moves stay as they are
    // meanwhile (its steps may change). Only the recorder reads the texts: begin() writes them out as they
    // are, one after the other.
    struct PreparedMoves {
        const MovePlan* plan = nullptr; // the plan it records
        std::size_t count = 0;          // and that plan's moves then
        std::vector<std::string> texts;
    };
    virtual std::future<PreparedMoves> prepareMoves(const MovePlan& plan) = 0;

    // Before the first move: the whole plan, on stable storage. An error text when it could not be kept.
    // Without `prepared` (or with one of other moves) the recorder makes the record of the moves itself.
    virtual std::string begin(const MovePlan& plan, std::future<PreparedMoves> prepared = {}) = 0;
    // The record's name, once begun.
    virtual std::string runId() const = 0;
    virtual void stepDone(std::size_t step) = 0;
    virtual void stepFailed(std::size_t step, const FileError& error) = 0;
    // Before the step takes its item through a temporary name the plan did not foresee: the name, on
    // stable storage. False when it could not be kept; the detour is then not taken.
    virtual bool detour(std::size_t step, const std::string& temporary) = 0;
    virtual void folderCreated(const std::string& path) = 0;
    virtual void folderRemoved(const std::string& path) = 0;
    // The run's end, which closes the record. An error text when the record could not be written to its
    // end: it then reads as an interrupted run.
    virtual std::string finish(const RenameReport& report) = 0;
};

} // namespace quillory
