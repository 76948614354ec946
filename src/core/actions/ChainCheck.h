// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/ChainProblem.h"
#include "model/Transformer.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

namespace quillory {

class TokenDetailsList;

// Finds what the engine would pass over in silence in a chain of rename actions: patterns that do not
// compile (the engine then finds nothing), keys and values no action reads, attribute ids the catalogue
// does not know, token items of an unknown type, "$n" references to groups a pattern does not have.
// The engine's rules stay as they are; this only reports.
class ChainCheck {
public:
    // Without a catalogue the one of the registry is used, else the built-in one. An empty catalogue
    // checks no attribute ids.
    explicit ChainCheck(std::shared_ptr<const TokenDetailsList> catalogue = nullptr);

    // Problems of one decoded action.
    std::vector<ChainProblem> check(const Transformer& transformer, std::size_t position = 0) const;
    // The same, plus the keys of the JSON record it was decoded from that nothing reads.
    std::vector<ChainProblem> check(const Transformer& transformer, const nlohmann::ordered_json& record,
                                    std::size_t position = 0) const;
    // Every action of a recipe's JSON that decodes; a recipe that does not decode has no problems here
    // (loading it reports the error).
    std::vector<ChainProblem> checkRecipe(const nlohmann::ordered_json& recipe) const;

    // The known name closest to `name` when it is close enough to be a slip of the keyboard, else "".
    static std::string closest(const std::string& name, const std::vector<std::string>& known);
    // The problem of an action of a kind the program does not know, if it is one.
    static std::optional<ChainProblem> unknownKind(const std::string& type, std::size_t position);

private:
    std::shared_ptr<const TokenDetailsList> catalogue_;
};

} // namespace quillory
