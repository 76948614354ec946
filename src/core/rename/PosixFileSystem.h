// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileSystem.h"
#include "rename/FolderCase.h"
#include "rename/IdentityScan.h"

#include <array>
#include <functional>
#include <mutex>
#include <string>

namespace quillory {

// The real file system. Every change is made relative to the descriptor of its folder, opened without
// following any symbolic link (openat2 with RESOLVE_NO_SYMLINKS, or one component at a time with
// O_NOFOLLOW where the kernel lacks it): a folder path that goes through a link is resolved first, its
// real place must pass the folder check, and a link that appears before the folder is opened makes
// the operation fail instead of being followed. Items themselves, links included, are never followed.
//
// Moves use renameat2 with RENAME_NOREPLACE; where the file system lacks it, a file is hard-linked to
// the target and then unlinked, which refuses an existing target just as well. A move to another file
// system copies the item (contents, permissions, times, extended attributes), flushes it, puts it in
// place without replacing, and only then removes the source; on failure the partial copy goes and the
// source stays untouched. The folders of recent moves stay open, so that a run through one folder
// opens it once; the renamer releases them when a run ends.
class PosixFileSystem : public FileSystem {
public:
    PosixFileSystem() = default;
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    Outcome moveItem(const std::string& source, const std::string& target) override;
    Outcome createDirectories(const std::string& path) override;
    Outcome removeDirectory(const std::string& path) override;
    Outcome removeFile(const std::string& path) override;
    bool exists(const std::string& path) override;
    Outcome directoryEntries(const std::string& path, std::size_t limit, std::vector<std::string>& names) override;
    std::optional<ItemIdentity> identify(const std::string& path) override;
    bool ignoresCase(const std::string& folder) override { return FolderCase::probe(folder); }
    std::vector<std::optional<ItemIdentity>>
    identifyMoveSources(const std::vector<std::pair<std::string_view, std::string_view>>& moves) override {
        return IdentityScan::moveSources(moves, listings_);
    }
    // Listings of the opened folders, for the identities of a run's sources; unset, folders are read.
    void setFolderListings(const FolderListings* listings) { listings_ = listings; }
    void releaseFolders() override;
    // The folder opened (and checked) as for any move, where it is in memory: only there do renames
    // go faster together. Each move is a renameat2 without replacing.
    std::unique_ptr<FolderMoves> movesWithin(const std::string& folder) override;

    // The copy-then-remove move used across file systems; public so that it can be exercised on one.
    Outcome copyAndRemove(const std::string& source, const std::string& target);

    // Folders are moved from, moved into, created in and removed from only when this accepts their
    // real place (no links left in it). Unset: every folder.
    void setFolderCheck(std::function<bool(const std::string& realFolder)> check);

    // Testing aid: behave as if the file system did not support RENAME_NOREPLACE.
    void setNoReplaceUnsupported(bool unsupported) { noReplaceUnsupported_ = unsupported; }
    // Testing aid: open folders one component at a time, as on kernels without openat2.
    void setOpenat2Unsupported(bool unsupported) { openat2Unsupported_ = unsupported; }
    // Testing aid: called with the real place of a folder reached through a link, after the check and
    // before the folder is opened.
    void setBeforeOpenHook(std::function<void(const std::string& realFolder)> hook) { beforeOpen_ = std::move(hook); }

private:
    struct HeldFolder {
        std::string path;
        int fd = -1;
        unsigned long lastUse = 0;
    };

    // A new descriptor of the folder (the caller closes it), or -1 with `error` set.
    int openFolder(const std::string& folder, const std::string& operation, const std::string& display,
                   Outcome& error);
    // A descriptor kept open for later operations (the caller must not close it); `fresh` tells
    // whether it was opened just now.
    int heldFolder(std::string_view folder, const std::string& operation, const std::string& display,
                   Outcome& error, bool& fresh);
    // Closes the held folders at the path and below it (it was moved or removed).
    void forget(std::string_view path);
    void releaseLocked();
    Outcome moveLocked(const std::string& source, const std::string& target, bool& usedHeld);
    Outcome copyAndRemoveAt(int sourceFolder, const std::string& sourceName, int targetFolder,
                            const std::string& targetName, const std::string& source, const std::string& target);

    std::mutex mutex_;
    std::array<HeldFolder, 4> held_{};
    unsigned long useCounter_ = 0;
    std::function<bool(const std::string&)> folderCheck_;
    std::function<void(const std::string&)> beforeOpen_;
    bool noReplaceUnsupported_ = false;
    const FolderListings* listings_ = nullptr;
    bool openat2Unsupported_ = false;
};

} // namespace quillory
