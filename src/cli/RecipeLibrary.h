// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillory::cli {

// Recipes kept by name in $XDG_DATA_HOME/quillory/recipes (~/.local/share/quillory/recipes), so that
// "--save-recipe tidy" and "-r tidy" work from any folder.
namespace recipeLibrary {

std::filesystem::path folder();

// A bare name (no slash) is a library name; "tidy" and "tidy.recipe" both stand for tidy.recipe.
bool isName(const std::string& argument);
// The library file a name stands for; nothing for a name that cannot be a file name ("", ".recipe").
std::optional<std::filesystem::path> pathOf(const std::string& name);

// What -r means: JSON text and existing files are taken as they are; a bare name that is no file here
// is looked up in the library. Nothing when the name is in neither place.
std::optional<std::string> resolve(const std::string& argument);

// The names in the library (without ".recipe"), sorted.
std::vector<std::string> names();

} // namespace recipeLibrary
} // namespace quillory::cli
