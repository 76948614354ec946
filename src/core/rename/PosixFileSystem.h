// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileSystem.h"
#include "rename/FolderCase.h"
#include "rename/IdentityScan.h"

namespace quillory {

// The real file system. Moves use renameat2 with RENAME_NOREPLACE; where the file system lacks it,
// a file is hard-linked to the target and then unlinked, which refuses an existing target just as
// well. A move to another file system copies the item (contents, permissions, times, extended
// attributes), flushes it, puts it in place without replacing, and only then removes the source; on
// failure the partial copy goes and the source stays untouched.
class PosixFileSystem : public FileSystem {
public:
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
        return IdentityScan::moveSources(moves);
    }

    // The copy-then-remove move used across file systems; public so that it can be exercised on one.
    Outcome copyAndRemove(const std::string& source, const std::string& target);

    // Testing aid: behave as if the file system did not support RENAME_NOREPLACE.
    void setNoReplaceUnsupported(bool unsupported) { noReplaceUnsupported_ = unsupported; }

private:
    Outcome moveWithoutRenameat2(const std::string& source, const std::string& target);

    bool noReplaceUnsupported_ = false;
};

} // namespace quillory
