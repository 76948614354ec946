// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "filelist/RejectedDirectory.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class Preferences;

// What the validator learns from the machine. Injectable so that tests never use the real home.
struct DirectoryEnvironment {
    std::string home;      // the user's home folder, without trailing "/"
    std::string userName;  // for /media/<user>/<name> and /run/media/<user>/<name>
    std::string mountInfo; // the text of /proc/self/mountinfo

    // $HOME (or the password database), the login name and /proc/self/mountinfo.
    static DirectoryEnvironment system();
};

// Decides where renaming is allowed: the home folder, mounted volumes under /media/<user>/<name>,
// /run/media/<user>/<name> and /mnt/<name>, and the custom folders of the preferences. Collects the
// folders it refused with their reason. Every operation runs one at a time on its actor; checks may
// be called from any thread.
class DirectoryValidator {
public:
    // Uses the system environment. Without preferences there are no custom directories.
    explicit DirectoryValidator(Preferences* preferences = nullptr);
    DirectoryValidator(DirectoryEnvironment environment, Preferences* preferences);

    // True when path + "/" lies under an allowed folder (compared with a trailing "/" on both sides,
    // so /media/me/Data never admits /media/me/DataBackup) and so does the place it really leads to,
    // symbolic links resolved (see resolvedPath). Otherwise records RejectedDirectory(path + "/",
    // restrictedPath) and returns false.
    bool isSupported(std::string_view path);
    // The same test without recording anything.
    bool isAllowed(std::string_view path) const;
    // Whether a path that has no symbolic links left (a resolvedPath) lies under the real place of an
    // allowed folder. Touches nothing on disk.
    bool isAllowedResolved(std::string_view resolved) const;

    // Whether the path is one of the allowed folders itself (as written, or by its real place).
    bool isAllowedDirectory(std::string_view path) const;

    // Where an absolute path really leads: its deepest existing ancestor with every link resolved,
    // followed by the components that do not exist yet. Nothing when those include "." or "..", when
    // one of them is a dangling link, or when the existing part cannot be resolved.
    static std::optional<std::string> resolvedPath(std::string_view path);

    // Accepts a file URL or a plain path. True when the folder can be written. Otherwise records the
    // path with readonlyVolume (read-only file system), readonlyPath (not writable) or error (cannot be
    // examined) and returns false.
    bool isWritable(std::string_view urlOrPath);

    // The path rules of validation: double slash, folder-name length, path length, case-only folder
    // change against sourcePath (skipped when sourcePath is empty), allowed prefix of the path and of
    // sourcePath (where each really leads included). Empty when valid.
    std::set<std::string> validatePath(std::string_view path, std::string_view sourcePath) const;
    // Tells whether a folder compares names without regard to letter case. Only there can a folder not
    // change its name's case by the moves of its files, so only there is that change refused; without a
    // test every folder is taken to ignore case. Set before validation starts.
    void setCaseTest(std::function<bool(const std::string& folder)> ignoresCase) { ignoresCase_ = std::move(ignoresCase); }

    // Records a refusal found elsewhere (a folder that cannot be read while opening).
    void addRejectedDirectory(RejectedDirectory rejected);
    std::set<RejectedDirectory> rejectedDirectories() const;

    std::vector<std::string> supportedDirectories() const;
    std::vector<std::string> customDirectories() const;
    // Supported followed by custom: the rows of the allowed-directories table.
    std::vector<std::string> allDirectories() const;

    // Recomputes the supported folders and re-reads the custom ones from the preferences.
    void reload();
    void reload(DirectoryEnvironment environment);
    // Stores the list and writes it to the preferences (which posts "applyChanges").
    void setCustomDirectories(std::vector<std::string> directories);

    // Mount points of volumes a user may rename on, from the text of /proc/self/mountinfo, in file
    // order without duplicates and without a trailing "/".
    static std::vector<std::string> volumeMountPoints(std::string_view mountInfo, std::string_view userName);

private:
    std::vector<std::string> readCustomDirectories() const;
    void resolveDirectories(); // on the actor

    mutable SerialExecutor actor_;
    Preferences* preferences_;
    DirectoryEnvironment environment_;
    std::vector<std::string> _supportedDirectories;
    std::vector<std::string> _customDirectories;
    std::vector<std::string> _resolvedDirectories; // the real places of both, each with a trailing "/"
    std::set<RejectedDirectory> _rejectedDirectories;
    std::function<bool(const std::string&)> ignoresCase_;
};

} // namespace quillory
