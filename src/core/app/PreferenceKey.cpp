// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PreferenceKey.h"

namespace quillory {

PreferenceKey::PreferenceKey(std::string_view name) {
    if (name.substr(0, prefix.size()) == prefix)
        key_ = std::string(name);
    else
        key_ = std::string(prefix) + std::string(name);
}

const PreferenceKey PreferenceKey::versionCheckOnStartup{"versionCheckOnStartup"};
const PreferenceKey PreferenceKey::openMostRecentRecipeOnStartup{"openMostRecentRecipeOnStartup"};
const PreferenceKey PreferenceKey::gpsAddressLookup{"gpsAddressLookup"};
const PreferenceKey PreferenceKey::renameAliases{"renameAliases"};
const PreferenceKey PreferenceKey::autoResolveDuplicates{"autoResolveDuplicates"};
const PreferenceKey PreferenceKey::renameEmptyFolders{"renameEmptyFolders"};
const PreferenceKey PreferenceKey::autoIgnoreFilePermissionErrors{"autoIgnoreFilePermissionErrors"};
const PreferenceKey PreferenceKey::customDirectories{"customDirectories"};
const PreferenceKey PreferenceKey::gpsCache{"gpsCache"};
const PreferenceKey PreferenceKey::recentRecipes{"recentRecipes"};
const PreferenceKey PreferenceKey::gpsGeocoder{"gpsGeocoder"};

} // namespace quillory
