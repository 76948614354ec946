// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/PreferenceKey.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

class NotificationCenter;

// The user-defaults store: one JSON object in a file, keys are full preference keys. Reads come from
// memory; every change is written at once, atomically (temporary file, fsync, rename), so a crash
// never leaves a broken file. Usable from any thread.
class Preferences {
public:
    // The file is $XDG_CONFIG_HOME/quillory/settings.json (default ~/.config/quillory/settings.json).
    static std::filesystem::path defaultPath();

    // Loads the file if it exists. A file that is not a JSON object is moved aside to
    // "<name>.bad" (replacing an older one) and the store starts empty, with a log line.
    explicit Preferences(std::filesystem::path file, NotificationCenter* notifications = nullptr);

    // Registers the defaults of the application (booleans on by default, empty custom directories).
    void registerDefaults();
    // Values used when a key is absent from the file; never written.
    void registerDefault(const PreferenceKey& key, nlohmann::json value);

    bool boolValue(const PreferenceKey& key) const;
    std::vector<std::string> strings(const PreferenceKey& key) const;
    std::optional<std::string> string(const PreferenceKey& key) const;
    // The stored JSON value, or the registered default, or null.
    nlohmann::json value(const PreferenceKey& key) const;
    bool contains(const PreferenceKey& key) const;

    // Store, log and post "applyChanges".
    void set(const PreferenceKey& key, bool value);
    void set(const PreferenceKey& key, const std::vector<std::string>& value);
    // Store without posting (data such as caches and the recent-recipe list).
    void setValue(const PreferenceKey& key, nlohmann::json value);
    void remove(const PreferenceKey& key);

    // Overrides that live only in memory for this run (the CLI's --set); they win over stored values.
    void setTransient(const PreferenceKey& key, nlohmann::json value);

    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    // Writes the stored value of `changedKey` (or its absence) into the file, keeping its other keys.
    void save(const std::string& changedKey);
    nlohmann::json lookup(const PreferenceKey& key) const;
    void postApplyChanges(std::string_view logLine);

    std::filesystem::path file_;
    NotificationCenter* notifications_;
    mutable std::mutex mutex_;
    nlohmann::json stored_ = nlohmann::json::object();
    // The file on disk could not be read or moved aside: it is left alone and never written.
    bool keepFile_ = false;
    std::map<std::string, nlohmann::json> defaults_;
    std::map<std::string, nlohmann::json> transient_;
};

// Writes the bytes to a temporary file beside the target, flushes it to disk and renames it over
// the target. Used for settings and recipes.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string* error = nullptr);

} // namespace quillory
