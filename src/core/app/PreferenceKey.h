// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quillory {

// One key of the preferences. Made from a short name ("renameAliases") it gets the application's
// prefix; a full key (already prefixed) is kept as it is.
class PreferenceKey {
public:
    static constexpr std::string_view prefix = "com.halvane.quillory.";

    explicit PreferenceKey(std::string_view name);
    const std::string& str() const { return key_; }
    std::string shortName() const { return key_.substr(prefix.size()); }
    bool operator==(const PreferenceKey&) const = default;

    static const PreferenceKey versionCheckOnStartup;
    static const PreferenceKey openMostRecentRecipeOnStartup;
    static const PreferenceKey gpsAddressLookup;
    static const PreferenceKey renameAliases;
    static const PreferenceKey autoResolveDuplicates;
    static const PreferenceKey renameEmptyFolders;
    static const PreferenceKey autoIgnoreFilePermissionErrors;
    static const PreferenceKey customDirectories;
    static const PreferenceKey gpsCache;
    static const PreferenceKey recentRecipes;
    static const PreferenceKey gpsGeocoder;

private:
    std::string key_;
};

} // namespace quillory
