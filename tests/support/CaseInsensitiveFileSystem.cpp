// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaseInsensitiveFileSystem.h"
#include "model/File.h"

#include <cerrno>
#include <limits>

namespace quillory {
namespace {

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

CaseInsensitiveFileSystem::CaseInsensitiveFileSystem(FileSystem& inner, std::vector<std::string> folders)
    : inner_(inner), folders_(std::move(folders)) {}

bool CaseInsensitiveFileSystem::folds(const std::string& folder) const {
    for (const auto& root : folders_)
        if (folder == root || (folder.size() > root.size() && folder.compare(0, root.size(), root) == 0 &&
                               folder[root.size()] == '/'))
            return true;
    return false;
}

std::string CaseInsensitiveFileSystem::resolve(const std::string& path) {
    const std::string folder = deletingLastPathComponent(path);
    if (!folds(folder) || inner_.exists(path))
        return path;
    std::vector<std::string> names;
    if (inner_.directoryEntries(folder, std::numeric_limits<std::size_t>::max(), names))
        return path;
    const std::string wanted = lowered(path.substr(path.rfind('/') + 1));
    for (const auto& name : names)
        if (lowered(name) == wanted)
            return folder + "/" + name;
    return path;
}

FileSystem::Outcome CaseInsensitiveFileSystem::moveItem(const std::string& source, const std::string& target) {
    if (folds(deletingLastPathComponent(target)) && inner_.exists(resolve(target)))
        return FileError::fromErrno(EEXIST, "Move", source);
    return inner_.moveItem(resolve(source), target);
}

FileSystem::Outcome CaseInsensitiveFileSystem::createDirectories(const std::string& path) {
    return inner_.createDirectories(path);
}

FileSystem::Outcome CaseInsensitiveFileSystem::removeDirectory(const std::string& path) {
    return inner_.removeDirectory(resolve(path));
}

FileSystem::Outcome CaseInsensitiveFileSystem::removeFile(const std::string& path) {
    return inner_.removeFile(resolve(path));
}

bool CaseInsensitiveFileSystem::exists(const std::string& path) { return inner_.exists(resolve(path)); }

FileSystem::Outcome CaseInsensitiveFileSystem::directoryEntries(const std::string& path, std::size_t limit,
                                                                std::vector<std::string>& names) {
    return inner_.directoryEntries(resolve(path), limit, names);
}

std::optional<ItemIdentity> CaseInsensitiveFileSystem::identify(const std::string& path) {
    return inner_.identify(resolve(path));
}

bool CaseInsensitiveFileSystem::ignoresCase(const std::string& folder) { return admits_ && folds(folder); }

} // namespace quillory
