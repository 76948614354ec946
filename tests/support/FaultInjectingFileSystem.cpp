// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultInjectingFileSystem.h"

#include <fcntl.h>
#include <stdio.h>

namespace quillory {

void FaultInjectingFileSystem::failOn(Operation operation, const std::string& path, int errnoValue) {
    std::lock_guard lock(mutex_);
    faults_[{operation, path}] = errnoValue;
}

void FaultInjectingFileSystem::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
    stopAt_.reset();
}

void FaultInjectingFileSystem::stopAtMove(std::size_t move) {
    std::lock_guard lock(mutex_);
    stopAt_ = moves_ + move;
}

std::size_t FaultInjectingFileSystem::moveCount() const {
    std::lock_guard lock(mutex_);
    return moves_;
}

FileSystem::Outcome FaultInjectingFileSystem::fault(Operation operation, const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = faults_.find({operation, path});
    if (found == faults_.end())
        return {};
    return FileError::fromErrno(found->second, "Injected failure on", path);
}

FileSystem::Outcome FaultInjectingFileSystem::moveItem(const std::string& source, const std::string& target) {
    {
        std::lock_guard lock(mutex_);
        if (stopAt_ && *stopAt_ == moves_) {
            stopAt_.reset();
            throw Stopped{};
        }
        ++moves_;
    }
    if (auto error = fault(Operation::move, source))
        return error;
    return inner_.moveItem(source, target);
}

class FaultInjectingFileSystem::FaultingFolderMoves : public FolderMoves {
public:
    FaultingFolderMoves(FaultInjectingFileSystem& owner, std::string folder, std::unique_ptr<FolderMoves> inner)
        : owner_(owner), folder_(std::move(folder)), inner_(std::move(inner)) {}
    bool move(const char* fromName, const char* toName) override {
        if (owner_.fault(Operation::move, folder_ + "/" + fromName) || !inner_->move(fromName, toName))
            return false;
        ++owner_.movesTogether_;
        return true;
    }

private:
    FaultInjectingFileSystem& owner_;
    std::string folder_;
    std::unique_ptr<FolderMoves> inner_;
};

namespace {

// Where the inner file system offers no such moves (not in memory, where they would be slower), tests still
// want the two-thread path: plain renames that never replace, by full path.
class PlainFolderMoves : public FileSystem::FolderMoves {
public:
    explicit PlainFolderMoves(std::string folder) : folder_(std::move(folder)) {}
    bool move(const char* fromName, const char* toName) override {
        return ::renameat2(AT_FDCWD, (folder_ + "/" + fromName).c_str(), AT_FDCWD, (folder_ + "/" + toName).c_str(),
                           RENAME_NOREPLACE) == 0;
    }

private:
    std::string folder_;
};

} // namespace

std::unique_ptr<FileSystem::FolderMoves> FaultInjectingFileSystem::movesWithin(const std::string& folder) {
    if (!movesTogetherAllowed_)
        return nullptr;
    std::unique_ptr<FolderMoves> inner = inner_.movesWithin(folder);
    if (!inner)
        inner = std::make_unique<PlainFolderMoves>(folder);
    return std::make_unique<FaultingFolderMoves>(*this, folder, std::move(inner));
}

FileSystem::Outcome FaultInjectingFileSystem::createDirectories(const std::string& path) {
    if (auto error = fault(Operation::createDirectories, path))
        return error;
    return inner_.createDirectories(path);
}

FileSystem::Outcome FaultInjectingFileSystem::removeDirectory(const std::string& path) {
    if (auto error = fault(Operation::removeDirectory, path))
        return error;
    return inner_.removeDirectory(path);
}

FileSystem::Outcome FaultInjectingFileSystem::removeFile(const std::string& path) {
    if (auto error = fault(Operation::removeFile, path))
        return error;
    return inner_.removeFile(path);
}

std::optional<ItemIdentity> FaultInjectingFileSystem::identify(const std::string& path) {
    return inner_.identify(path);
}

bool FaultInjectingFileSystem::exists(const std::string& path) { return inner_.exists(path); }

FileSystem::Outcome FaultInjectingFileSystem::directoryEntries(const std::string& path, std::size_t limit,
                                                               std::vector<std::string>& names) {
    if (auto error = fault(Operation::list, path))
        return error;
    return inner_.directoryEntries(path, limit, names);
}

} // namespace quillory
