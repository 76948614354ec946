// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Preferences.h"

#include "app/JsonInput.h"
#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

std::filesystem::path Preferences::defaultPath() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "quillory" / "settings.json";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/tmp") / ".config" / "quillory" / "settings.json";
}

namespace {

// False with errno set when the file cannot be opened or read to its end.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[8192];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return got == 0;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

// An exclusive flock on the settings' folder for as long as it lives. The file itself is replaced by
// every write, so it cannot carry the lock; the folder stays. Without it the write goes ahead unlocked.
class SettingsLock {
public:
    explicit SettingsLock(const std::filesystem::path& settings) {
        std::error_code ec;
        const auto folder = settings.has_parent_path() ? settings.parent_path() : std::filesystem::path(".");
        std::filesystem::create_directories(folder, ec);
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~SettingsLock() {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

Preferences::Preferences(std::filesystem::path file, NotificationCenter* notifications)
    : file_(std::move(file)), notifications_(notifications) {
    load();
}

void Preferences::load() {
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec))
        return;
    std::string bytes;
    if (!readWholeFile(file_, bytes)) {
        // Settings that cannot be read may still be good: never write over them.
        keepFile_ = true;
        Logger::error("⚠️ WARNING: Settings file ", file_.string(), " could not be read (", std::strerror(errno),
                      "); using defaults, changes will not be saved");
        return;
    }
    auto parsed = JsonInput::parse(bytes);
    if (parsed && parsed->is_object()) {
        stored_ = std::move(parsed).value();
        return;
    }
    // Keep the broken file for the user to inspect; never overwrite it silently.
    // A free name beside it: an older broken file already kept there stays too.
    auto aside = file_;
    aside += ".bad";
    for (int n = 2; std::filesystem::exists(aside, ec) && n < 100; ++n) {
        aside = file_;
        aside += ".bad." + std::to_string(n);
    }
    if (std::filesystem::exists(aside, ec) || (std::filesystem::rename(file_, aside, ec), ec)) {
        keepFile_ = true;
        Logger::error("⚠️ WARNING: Settings file ", file_.string(),
                      " is not valid JSON and could not be moved aside; using defaults, changes will not be saved");
        return;
    }
    Logger::error("⚠️ WARNING: Settings file ", file_.string(), " is not valid JSON; kept as ", aside.string(),
                  ", using defaults");
}

void Preferences::registerDefaults() {
    registerDefault(PreferenceKey::versionCheckOnStartup, true);
    registerDefault(PreferenceKey::customDirectories, nlohmann::json::array());
    registerDefault(PreferenceKey::gpsAddressLookup, true);
    registerDefault(PreferenceKey::autoResolveDuplicates, true);
    registerDefault(PreferenceKey::renameEmptyFolders, true);
    registerDefault(PreferenceKey::gpsGeocoder, "offline");
}

void Preferences::registerDefault(const PreferenceKey& key, nlohmann::json value) {
    std::lock_guard lock(mutex_);
    defaults_[key.str()] = std::move(value);
}

nlohmann::json Preferences::lookup(const PreferenceKey& key) const {
    if (auto it = transient_.find(key.str()); it != transient_.end())
        return it->second;
    if (auto it = stored_.find(key.str()); it != stored_.end())
        return *it;
    if (auto it = defaults_.find(key.str()); it != defaults_.end())
        return it->second;
    return nullptr;
}

nlohmann::json Preferences::value(const PreferenceKey& key) const {
    std::lock_guard lock(mutex_);
    return lookup(key);
}

bool Preferences::contains(const PreferenceKey& key) const {
    std::lock_guard lock(mutex_);
    return transient_.count(key.str()) || stored_.contains(key.str());
}

bool Preferences::boolValue(const PreferenceKey& key) const {
    const auto v = value(key);
    if (v.is_boolean())
        return v.get<bool>();
    if (v.is_number())
        return v.get<double>() != 0;
    return false;
}

std::vector<std::string> Preferences::strings(const PreferenceKey& key) const {
    const auto v = value(key);
    std::vector<std::string> result;
    if (!v.is_array())
        return result;
    for (const auto& item : v)
        if (item.is_string())
            result.push_back(item.get<std::string>());
    return result;
}

std::optional<std::string> Preferences::string(const PreferenceKey& key) const {
    const auto v = value(key);
    if (!v.is_string())
        return std::nullopt;
    return v.get<std::string>();
}

void Preferences::set(const PreferenceKey& key, bool value) {
    setValue(key, value);
    postApplyChanges("Post applyChanges from Preference set (Bool)");
}

void Preferences::set(const PreferenceKey& key, const std::vector<std::string>& value) {
    setValue(key, value);
    postApplyChanges("Post applyChanges from Preference set [String]");
}

void Preferences::setValue(const PreferenceKey& key, nlohmann::json value) {
    std::lock_guard lock(mutex_);
    stored_[key.str()] = std::move(value);
    save(key.str());
}

void Preferences::remove(const PreferenceKey& key) {
    std::lock_guard lock(mutex_);
    stored_.erase(key.str());
    save(key.str());
}

void Preferences::setTransient(const PreferenceKey& key, nlohmann::json value) {
    std::lock_guard lock(mutex_);
    transient_[key.str()] = std::move(value);
}

void Preferences::postApplyChanges(std::string_view logLine) {
    Logger::log(logLine);
    if (notifications_)
        notifications_->post(AppNotification::applyChanges);
}

void Preferences::save(const std::string& changedKey) {
    if (keepFile_)
        return;
    // Other processes write the same file: under a lock, read it again and change only this key in it,
    // so that their keys survive.
    const SettingsLock lock(file_);
    nlohmann::json merged = stored_;
    std::string bytes;
    std::error_code ec;
    if (std::filesystem::exists(file_, ec) && readWholeFile(file_, bytes)) {
        if (auto parsed = JsonInput::parse(bytes); parsed && parsed->is_object()) {
            merged = std::move(parsed).value();
            if (const auto mine = stored_.find(changedKey); mine != stored_.end())
                merged[changedKey] = *mine;
            else
                merged.erase(changedKey);
        }
    }
    std::string error;
    if (!writeFileAtomically(file_, merged.dump(2), &error))
        Logger::error("⚠️ WARNING: Could not write settings to ", file_.string(), ": ", error);
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error)
            *error = what + ": " + std::strerror(errno);
        return false;
    };
    std::error_code ec;
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    std::string temp = target.string() + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return fail("cannot create temporary file");
    auto cleanup = [&] {
        ::close(fd);
        ::unlink(temp.c_str());
    };
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const bool result = fail("write failed");
            cleanup();
            return result;
        }
        written += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; keep the mode of the file it replaces, or the usual 0644.
    struct stat existing {};
    ::fchmod(fd, ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    if (::fsync(fd) != 0) {
        const bool result = fail("fsync failed");
        cleanup();
        return result;
    }
    ::close(fd);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const bool result = fail("rename failed");
        ::unlink(temp.c_str());
        return result;
    }
    // Make the rename itself durable.
    const auto dir = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace quillory
