// SPDX-License-Identifier: GPL-3.0-or-later
// Token strings: their JSON form, the clipboard's forms and the patterns built from them.
#include "FuzzSupport.h"

#include "app/JsonInput.h"
#include "text/Regex.h"
#include "tokens/RegExpResolver.h"
#include "model/TokenString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace quillory;
    const std::string_view text = fuzz::input(data, size);

    const TokenString pasted = TokenString::fromPasteboardItems({{std::string(TokenString::pasteboardType),
                                                                  std::string(text)},
                                                                 {std::string(TokenString::plainTextType),
                                                                  std::string(text)}});
    (void)pasted.toPasteboardItems();

    const auto json = JsonInput::parse<nlohmann::ordered_json>(text);
    if (!json)
        return 0;
    const auto tokens = TokenString::fromJson(*json);
    if (!tokens)
        return 0;
    (void)tokens->plainText();
    // The pattern a regular expression action would build; it either compiles or says why.
    const std::string pattern = RegExpResolver::resolve(*tokens).pattern;
    fuzz::require(text::Regex::compile(std::string_view(pattern)).ok() ==
                  !text::Regex::syntaxError(pattern).has_value());
    return 0;
}
