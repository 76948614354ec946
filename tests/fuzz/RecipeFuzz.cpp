// SPDX-License-Identifier: GPL-3.0-or-later
// Recipe files as users and strangers write them: decoding, the chain check and the saved form.
#include "FuzzSupport.h"

#include "actions/ChainCheck.h"
#include "app/JsonInput.h"
#include "model/Recipe.h"
#include "model/TokenDetailsList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace quillory;
    const std::string_view text = fuzz::input(data, size);
    static const ChainCheck check(std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded()));

    const auto recipe = Recipe::fromText(text);
    if (const auto json = JsonInput::parse<nlohmann::ordered_json>(text))
        check.checkRecipe(*json);
    if (!recipe)
        return 0;
    // What is saved reads back as the same recipe.
    const auto saved = recipe->toText();
    if (!saved)
        return 0;
    const auto again = Recipe::fromText(*saved);
    fuzz::require(again.ok());
    fuzz::require(again->toText().ok() && *again->toText() == *saved);
    return 0;
}
