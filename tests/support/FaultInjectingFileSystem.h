// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileSystem.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace quillory {

// A file system that forwards to another one but fails chosen operations on chosen paths with a
// chosen errno. Lets tests produce permission errors and read-only volumes, which a process running
// as root would never meet, and failures in the middle of a run.
class FaultInjectingFileSystem : public FileSystem {
public:
    enum class Operation { move, createDirectories, removeDirectory, removeFile, list };

    explicit FaultInjectingFileSystem(FileSystem& inner) : inner_(inner) {}

    // Thrown where the run is stopped: nothing after it runs, as after kill -9 (records the journal
    // holds in memory are never written).
    struct Stopped {};
    // The move with this number, counted from 0 from now on, does not happen: Stopped is thrown instead.
    void stopAtMove(std::size_t move);

    // The operation on this exact path (the source of a move) fails with errnoValue.
    void failOn(Operation operation, const std::string& path, int errnoValue);
    void clearFaults();
    // Number of moves attempted so far (failed ones included).
    std::size_t moveCount() const;

    Outcome moveItem(const std::string& source, const std::string& target) override;
    Outcome createDirectories(const std::string& path) override;
    Outcome removeDirectory(const std::string& path) override;
    Outcome removeFile(const std::string& path) override;
    bool exists(const std::string& path) override;
    Outcome directoryEntries(const std::string& path, std::size_t limit, std::vector<std::string>& names) override;
    std::optional<ItemIdentity> identify(const std::string& path) override;
    bool ignoresCase(const std::string& folder) override { return inner_.ignoresCase(folder); }
    void releaseFolders() override { inner_.releaseFolders(); }

    // Lets the renamer move long runs inside one folder on two threads, through the inner file system where it
    // offers that and by plain renames where not; injected move faults apply there too, stopAtMove does not.
    // Off by default.
    void allowMovesTogether() { movesTogetherAllowed_ = true; }
    std::unique_ptr<FolderMoves> movesWithin(const std::string& folder) override;
    // Moves made that way so far.
    std::size_t movesTogether() const { return movesTogether_.load(); }

private:
    class FaultingFolderMoves;
    Outcome fault(Operation operation, const std::string& path) const;

    FileSystem& inner_;
    mutable std::mutex mutex_;
    std::map<std::pair<Operation, std::string>, int> faults_;
    std::size_t moves_ = 0;
    std::optional<std::size_t> stopAt_;
    bool movesTogetherAllowed_ = false;
    std::atomic<std::size_t> movesTogether_{0};
};

} // namespace quillory
