// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "rename/RenameReport.h"

#include <functional>
#include <string>
#include <vector>

namespace quillory {

class FileDataSource;
class MainQueue;
class RecipeStore;
class ScriptingState;
class TransformerEngine;
class Transformers;

// The services the scripting commands drive; the application fills it from its own objects. A null
// pointer or an empty function makes the command that needs it do nothing.
struct ScriptingServices {
    FileDataSource* dataSource = nullptr;
    Transformers* transformers = nullptr;
    TransformerEngine* engine = nullptr;
    RecipeStore* recipeStore = nullptr;
    // Runs the rename of the whole list with the force flag and reports what it did.
    std::function<RenameReport(bool force)> rename;
    // Holds the latest validation result ("validationResult").
    ScriptingState* state = nullptr;
    // Opens the directories into the file list with fresh directory rules (one open operation).
    std::function<Status(const std::vector<std::string>& directories)> openDirectories;
    // The main thread's queue: a wait on the main thread runs it so that notifications still arrive.
    MainQueue* mainQueue = nullptr;
};

} // namespace quillory
