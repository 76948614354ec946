// SPDX-License-Identifier: GPL-3.0-or-later
// A rename action given as JSON on the command line: decoding and the chain check.
#include "FuzzSupport.h"

#include "actions/ChainCheck.h"
#include "app/JsonInput.h"
#include "model/Transformer.h"
#include "model/TokenDetailsList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace quillory;
    const std::string_view text = fuzz::input(data, size);
    static const ChainCheck check(std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded()));

    const auto json = JsonInput::parse<nlohmann::ordered_json>(text);
    if (!json)
        return 0;
    const auto decoded = Transformer::fromJson(*json);
    if (!decoded)
        return 0;
    check.check(*decoded, *json);
    // An action's JSON form decodes to an equal action.
    nlohmann::ordered_json encoded;
    try {
        encoded = decoded->toJson();
        (void)encoded.dump(); // text that is not UTF-8 cannot be written as JSON; that is reported, not a crash
    } catch (const nlohmann::json::exception &) {
        return 0;
    }
    const auto again = Transformer::fromJson(encoded);
    fuzz::require(again.ok() && *again == *decoded);
    return 0;
}
