// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/DirectoryValidator.h"

#include "app/Preferences.h"
#include "model/File.h"
#include "text/Characters.h"
#include "text/Normalization.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quillory {
namespace {

std::string withTrailingSlash(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != '/')
        result += '/';
    return result;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Folder names of a path; empty pieces ignored.
std::vector<std::string_view> pieces(std::string_view path) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            result.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

// Mount points in mountinfo escape blanks, tabs, new lines and backslashes as \ooo.
std::string unescapeMountField(std::string_view field) {
    std::string result;
    result.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            result += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        result += field[i];
    }
    return result;
}

bool isVolumeMountPoint(std::string_view mountPoint, std::string_view userName) {
    if (mountPoint.empty() || mountPoint.front() != '/')
        return false;
    auto parts = pieces(mountPoint);
    if (parts.size() == 2 && parts[0] == "mnt")
        return true;
    if (parts.size() == 3 && parts[0] == "media" && parts[1] == userName)
        return true;
    return parts.size() == 4 && parts[0] == "run" && parts[1] == "media" && parts[2] == userName;
}

std::string caseChangeMessage(std::string_view path, std::string_view sourcePath,
                              const std::function<bool(const std::string&)>& ignoresCase) {
    if (path == sourcePath)
        return {};
    auto newPieces = pieces(path);
    auto oldPieces = pieces(sourcePath);
    if (newPieces.empty() || oldPieces.empty())
        return {};
    for (std::size_t i = 0; i < newPieces.size() && i < oldPieces.size(); ++i) {
        if (newPieces[i] == oldPieces[i])
            continue;
        if (text::toLower(newPieces[i]) != text::toLower(oldPieces[i]))
            return {};
        if (ignoresCase) {
            std::string parent;
            for (std::size_t k = 0; k < i; ++k)
                parent.append("/").append(oldPieces[k]);
            if (!ignoresCase(parent.empty() ? std::string("/") : parent))
                return {}; // a new folder beside the old one, like any other new name
        }
        return "The case change of folder \"" + std::string(oldPieces[i]) + "\" to \"" + std::string(newPieces[i]) +
               "\" cannot be applied" + " unless at least one of its parent folders has a different name.";
    }
    return {};
}

std::string join(const std::vector<std::string>& items, std::string_view separator) {
    std::string result;
    for (const auto& item : items) {
        if (!result.empty())
            result += separator;
        result += item;
    }
    return result;
}

} // namespace

DirectoryEnvironment DirectoryEnvironment::system() {
    DirectoryEnvironment environment;
    const passwd* entry = getpwuid(getuid());
    if (const char* home = std::getenv("HOME"); home && *home)
        environment.home = home;
    else if (entry && entry->pw_dir)
        environment.home = entry->pw_dir;
    if (entry && entry->pw_name)
        environment.userName = entry->pw_name;
    else if (const char* user = std::getenv("USER"))
        environment.userName = user;
    while (environment.home.size() > 1 && environment.home.back() == '/')
        environment.home.pop_back();
    std::ifstream mountInfo("/proc/self/mountinfo");
    std::ostringstream text;
    text << mountInfo.rdbuf();
    environment.mountInfo = text.str();
    return environment;
}

DirectoryValidator::DirectoryValidator(Preferences* preferences)
    : DirectoryValidator(DirectoryEnvironment::system(), preferences) {}

DirectoryValidator::DirectoryValidator(DirectoryEnvironment environment, Preferences* preferences)
    : preferences_(preferences), environment_(std::move(environment)) {
    reload();
}

std::vector<std::string> DirectoryValidator::volumeMountPoints(std::string_view mountInfo,
                                                               std::string_view userName) {
    std::vector<std::string> result;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options ...
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i < 5 && fields >> field; ++i) {
        }
        if (!fields)
            continue;
        std::string mountPoint = unescapeMountField(field);
        while (mountPoint.size() > 1 && mountPoint.back() == '/')
            mountPoint.pop_back();
        if (!isVolumeMountPoint(mountPoint, userName))
            continue;
        if (std::find(result.begin(), result.end(), mountPoint) == result.end())
            result.push_back(mountPoint);
    }
    return result;
}

std::vector<std::string> DirectoryValidator::readCustomDirectories() const {
    std::vector<std::string> result;
    if (!preferences_)
        return result;
    auto value = preferences_->value(PreferenceKey::customDirectories);
    if (!value.is_array())
        return result;
    for (const auto& item : value) {
        if (!item.is_string())
            return {};
        result.push_back(item.get<std::string>());
    }
    return result;
}

void DirectoryValidator::reload() {
    actor_.run([&] {
        _supportedDirectories.clear();
        for (const auto& mountPoint : volumeMountPoints(environment_.mountInfo, environment_.userName))
            _supportedDirectories.push_back(withTrailingSlash(mountPoint));
        if (!environment_.home.empty())
            _supportedDirectories.push_back(withTrailingSlash(environment_.home));
        _customDirectories = readCustomDirectories();
        resolveDirectories();
    });
}

void DirectoryValidator::resolveDirectories() {
    _resolvedDirectories.clear();
    for (const auto* list : {&_supportedDirectories, &_customDirectories})
        for (const auto& directory : *list)
            if (!directory.empty())
                if (auto resolved = resolvedPath(directory))
                    _resolvedDirectories.push_back(withTrailingSlash(*resolved));
}

std::optional<std::string> DirectoryValidator::resolvedPath(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return std::nullopt;
    std::string existing(path);
    std::vector<std::string> missing; // deepest first
    for (;;) {
        while (existing.size() > 1 && existing.back() == '/')
            existing.pop_back();
        if (char* real = ::realpath(existing.c_str(), nullptr)) {
            std::string result(real);
            std::free(real);
            for (auto piece = missing.rbegin(); piece != missing.rend(); ++piece) {
                // Only the kernel may say where ".." leads, and it can only for folders that exist.
                if (*piece == "." || *piece == "..")
                    return std::nullopt;
                if (result.back() != '/')
                    result += '/';
                result += *piece;
            }
            return result;
        }
        // A name too long to exist is one still to be made (and refused by the length rules).
        if (errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG)
            return std::nullopt;
        // Something is there and still cannot be resolved: a link leading nowhere, which creating the
        // folder would follow.
        struct stat info {};
        if (::lstat(existing.c_str(), &info) == 0)
            return std::nullopt;
        const auto slash = existing.rfind('/');
        missing.push_back(existing.substr(slash + 1));
        existing.resize(slash == 0 ? 1 : slash);
    }
}

void DirectoryValidator::reload(DirectoryEnvironment environment) {
    actor_.run([&] { environment_ = std::move(environment); });
    reload();
}

bool DirectoryValidator::isAllowed(std::string_view path) const {
    const std::string candidate = withTrailingSlash(path);
    const bool textAllowed = actor_.run([&] {
        for (const auto& directory : _supportedDirectories)
            if (startsWith(candidate, withTrailingSlash(directory)))
                return true;
        for (const auto& directory : _customDirectories)
            if (!directory.empty() && startsWith(candidate, withTrailingSlash(directory)))
                return true;
        return false;
    });
    if (!textAllowed)
        return false;
    // The text alone would let a link inside an allowed folder lead anywhere.
    const auto resolved = resolvedPath(path);
    return resolved && isAllowedResolved(*resolved);
}

bool DirectoryValidator::isAllowedResolved(std::string_view resolved) const {
    const std::string candidate = withTrailingSlash(resolved);
    return actor_.run([&] {
        for (const auto& directory : _resolvedDirectories)
            if (startsWith(candidate, directory))
                return true;
        return false;
    });
}

bool DirectoryValidator::isAllowedDirectory(std::string_view path) const {
    const std::string candidate = withTrailingSlash(path);
    const auto resolved = resolvedPath(path);
    const std::string real = resolved ? withTrailingSlash(*resolved) : std::string();
    return actor_.run([&] {
        for (const auto* list : {&_supportedDirectories, &_customDirectories})
            for (const auto& directory : *list)
                if (!directory.empty() && withTrailingSlash(directory) == candidate)
                    return true;
        return !real.empty() && std::find(_resolvedDirectories.begin(), _resolvedDirectories.end(), real) !=
                                    _resolvedDirectories.end();
    });
}

bool DirectoryValidator::isSupported(std::string_view path) {
    if (isAllowed(path))
        return true;
    addRejectedDirectory({withTrailingSlash(path), RejectionReason::restrictedPath});
    return false;
}

bool DirectoryValidator::isWritable(std::string_view urlOrPath) {
    std::string path(urlOrPath);
    if (startsWith(path, "file://"))
        path = percentDecode(path.substr(7));
    struct stat info {};
    struct statvfs volume {};
    if (::stat(path.c_str(), &info) != 0 || ::statvfs(path.c_str(), &volume) != 0) {
        addRejectedDirectory({path, RejectionReason::error});
        return false;
    }
    if (volume.f_flag & ST_RDONLY) {
        addRejectedDirectory({path, RejectionReason::readonlyVolume});
        return false;
    }
    // A folder that cannot even be listed is not accessible, whatever its write permission says.
    if (::access(path.c_str(), R_OK | X_OK) != 0 && (errno == EACCES || errno == EPERM)) {
        addRejectedDirectory({path, RejectionReason::error});
        return false;
    }
    if (::access(path.c_str(), W_OK) == 0)
        return true;
    switch (errno) {
    case EROFS:
        addRejectedDirectory({path, RejectionReason::readonlyVolume});
        break;
    case EACCES:
    case EPERM:
        addRejectedDirectory({path, RejectionReason::readonlyPath});
        break;
    default:
        addRejectedDirectory({path, RejectionReason::error});
        break;
    }
    return false;
}

std::set<std::string> DirectoryValidator::validatePath(std::string_view path, std::string_view sourcePath) const {
    std::set<std::string> messages;
    if (path.find("//") != std::string_view::npos)
        messages.insert("Double slashes \"//\" are not allowed in Path");
    for (auto piece : pieces(path)) {
        if (piece.size() >= 256 && text::characterCount(piece) >= 256) {
            messages.insert("Folder names cannot exceed 255 characters each");
            break;
        }
    }
    if (path.size() >= 1025 && text::characterCount(path) >= 1025)
        messages.insert("Path is longer than 1024 characters");
    if (!sourcePath.empty())
        if (auto message = caseChangeMessage(path, sourcePath, ignoresCase_); !message.empty())
            messages.insert(std::move(message));
    if (!isAllowed(path) || (!sourcePath.empty() && sourcePath != path && !isAllowed(sourcePath)))
        messages.insert("Path should start with one of the following prefixes: " + join(allDirectories(), ", "));
    return messages;
}

void DirectoryValidator::addRejectedDirectory(RejectedDirectory rejected) {
    actor_.run([&] { _rejectedDirectories.insert(std::move(rejected)); });
}

std::set<RejectedDirectory> DirectoryValidator::rejectedDirectories() const {
    return actor_.run([&] { return _rejectedDirectories; });
}

std::vector<std::string> DirectoryValidator::supportedDirectories() const {
    return actor_.run([&] { return _supportedDirectories; });
}

std::vector<std::string> DirectoryValidator::customDirectories() const {
    return actor_.run([&] { return _customDirectories; });
}

std::vector<std::string> DirectoryValidator::allDirectories() const {
    return actor_.run([&] {
        auto all = _supportedDirectories;
        all.insert(all.end(), _customDirectories.begin(), _customDirectories.end());
        return all;
    });
}

void DirectoryValidator::setCustomDirectories(std::vector<std::string> directories) {
    actor_.run([&] {
        _customDirectories = directories;
        resolveDirectories();
    });
    if (preferences_)
        preferences_->set(PreferenceKey::customDirectories, directories);
}

} // namespace quillory
