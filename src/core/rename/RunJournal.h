// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/RunRecorder.h"

#include <chrono>
#include <string>
#include <string_view>

namespace quillory {

class FileSystem;

// Writes one journal per run into the journal folder: the plan with the identity of every source,
// flushed to stable storage before the first move; then each finished step, written out in batches
// and flushed to stable storage at least once a second; and the run's end, which closes it.
class RunJournal : public RunRecorder {
public:
    RunJournal(std::string folder, FileSystem& fileSystem);
    ~RunJournal() override;

    // The next run undoes another one (its journal says so).
    void setUndoOf(std::string runId) { undoOf_ = std::move(runId); }

    std::future<PreparedMoves> prepareMoves(const MovePlan& plan) override;
    std::string begin(const MovePlan& plan, std::future<PreparedMoves> prepared = {}) override;
    std::string runId() const override { return id_; }
    void stepDone(std::size_t step) override;
    void stepFailed(std::size_t step, const FileError& error) override;
    bool detour(std::size_t step, const std::string& temporary) override;
    void folderCreated(const std::string& path) override;
    void folderRemoved(const std::string& path) override;
    std::string finish(const RenameReport& report) override;
    // Closes the journal with the given state and counts. An error text when something it should hold
    // could not be written.
    std::string close(const std::string& state, int renamed, int failed, int notTried);

private:
    PreparedMoves recordOfMoves(const MovePlan& plan) const;
    // The lines of moves [first, end).
    std::string linesOfMoves(const MovePlan& plan, std::size_t first, std::size_t end) const;
    void record();
    void flushDone();
    bool writeOut(); // the buffer
    bool writeText(std::string_view text);
    void sync();

    std::string folder_;
    FileSystem& fileSystem_;
    std::string undoOf_;
    std::string id_;
    int fd_ = -1;
    std::string buffer_;
    bool broken_ = false;
    std::string brokenBy_; // the error of the write that broke it
    bool doneOpen_ = false; // a run of finished steps not yet in the buffer
    std::size_t doneFirst_ = 0;
    std::size_t doneLast_ = 0;
    std::chrono::steady_clock::time_point lastWrite_{};
    std::chrono::steady_clock::time_point lastSync_{};
};

} // namespace quillory
