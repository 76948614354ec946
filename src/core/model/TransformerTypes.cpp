// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TransformerTypes.h"

namespace quillory {

const std::array<TransformerTypeInfo, 10>& transformerTypes() {
    static const std::array<TransformerTypeInfo, 10> types = {{
        {TransformerType::simple, "Replace",
         "This Rename-Action can be used to find some text and replace it with some other text.\n\nWhen using "
         "wildcards (*), the captured wildcard text can be used in Replace using $1, $2 etc. for each matched "
         "wildcard."},
        {TransformerType::insert, "Insert",
         "This Rename-Action can be used to insert some text in a Filename, Path or Extension."},
        {TransformerType::prefix, "Prefix",
         "This Rename-Action can be used to prefix some text to the beginning of a Filename, Path or Extension."},
        {TransformerType::suffix, "Suffix",
         "This Rename-Action can be used to append some text to the end of a Filename, Path or Extension."},
        {TransformerType::set, "Set", "This Rename-Action can be used to set the text of a Filename, Path or Extension."},
        {TransformerType::numbering, "Number",
         "This Rename-Action can be used to add numbering to a Filename, Path or Extension."},
        {TransformerType::conversion, "Convert",
         "This Rename-Action can be used to apply character conversions to a Filename, Path or Extension."},
        {TransformerType::trim, "Trim",
         "This Rename-Action can be used to remove some text from a Filename, Path or Extension."},
        {TransformerType::regularExpression, "RegEx",
         "This Rename-Action can be used to find and replace text using Regular Expressions.\n\nCapture groups can "
         "be used in Replace as $1, $2 etc..."},
        {TransformerType::select, "Select",
         "This Rename-Action can be used to make a sub selection of files to which the Rename-Actions that follow "
         "will operate on."},
    }};
    return types;
}

const TransformerTypeInfo* transformerTypeInfo(std::string_view typeId) {
    for (const auto& info : transformerTypes())
        if (info.typeId == typeId)
            return &info;
    return nullptr;
}

} // namespace quillory
