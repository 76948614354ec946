// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "automation/ScriptObjectFile.h"
#include "automation/ScriptingServices.h"
#include "rename/FileValidationResult.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The commands a script sends and the two values it reads. Failures come back as values or as result
// strings beginning with "ERROR: "; nothing is thrown.
class ScriptingCommands {
public:
    static constexpr std::chrono::seconds validationWaitLimit{180};

    explicit ScriptingCommands(ScriptingServices services, std::string home = {});

    // Loads a recipe: text beginning with "{" is the JSON of a whole recipe, anything else a path ("~"
    // is the home folder). Returns the text used; the outcome of the load goes to `status` when given.
    std::string openRecipe(std::string_view parameter, Status* status = nullptr);
    // Decodes one rename action and appends it (or replaces the one with its id). Returns its id,
    // "ERROR: Missing JSON argument" or "ERROR: " + why the JSON cannot be used.
    std::string addTransformer(const std::optional<std::string>& json);
    // Clears the chain as the undoable step "Clear All Rename Actions".
    void clearTransformers();
    // Starts the full pass over all files and returns at once.
    void transform();
    // Runs the rename; whether it went ahead. Nothing when there is no renamer.
    std::optional<bool> rename(bool force = false);
    // Opens one directory into the file list.
    Status openDirectory(std::string_view path);

    // The files in list order.
    std::vector<ScriptObjectFile> files() const;
    // Waits until a validation result exists and is no longer pending, at most `limit`; then returns
    // it (an all-zero result when none came). On the main thread the main queue runs meanwhile.
    FileValidationResult validationResult(std::chrono::milliseconds limit = validationWaitLimit) const;

private:
    ScriptingServices services_;
    std::string home_;
};

} // namespace quillory
