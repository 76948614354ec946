// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/ScriptObjectFile.h"

#include "model/File.h"

namespace quillory {

ScriptObjectFile ScriptObjectFile::from(const File& file) {
    ScriptObjectFile object;
    object.identifier = file.id().text();
    object.displayName = file.source.fullPath();
    object.path = file.source.path;
    object.name = file.source.name;
    object.ext = file.source.ext;
    object.transformedPath = file.transformed.transformedPath;
    object.transformedName = file.transformed.transformedName;
    object.transformedExt = file.transformed.transformedExt;
    object.transformedFullPath = file.transformed.fullPath();
    object.warnings.assign(file.validation.warnings.begin(), file.validation.warnings.end());
    object.errors.assign(file.validation.errors.begin(), file.validation.errors.end());
    object.uniqueSuffix = file.validation.uniqueSuffix;
    return object;
}

} // namespace quillory
