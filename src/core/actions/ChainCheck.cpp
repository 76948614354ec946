// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ChainCheck.h"
#include "actions/IntegerText.h"

#include "app/Registry.h"
#include "model/TransformerTypes.h"
#include "text/NearestNames.h"
#include "text/Regex.h"
#include "tokens/RegExpResolver.h"
#include "model/TokenDetailsList.h"

#include <algorithm>
#include <cctype>

namespace quillory {
namespace {

using Json = nlohmann::ordered_json;

// A find group: its text, whether that text is a regular expression, and the two options that change it.
struct FindGroup {
    std::string_view type;
    std::string_view textKey;
    const std::optional<std::string> TransformerProperties::*text;
    const std::optional<bool> TransformerProperties::*regex;
    const std::optional<bool> TransformerProperties::*wildcards;
    const std::optional<bool> TransformerProperties::*caseInsensitive;
};

using P = TransformerProperties;
const FindGroup kFindGroups[] = {
    {"insert", "insertFindText", &P::insertFindText, &P::insertFindRegex, &P::insertFindWildcards,
     &P::insertFindCaseInsensitive},
    {"numbering", "numberFindText", &P::numberFindText, &P::numberFindRegex, &P::numberFindWildcards,
     &P::numberFindCaseInsensitive},
    {"conversion", "conversionFindText", &P::conversionFindText, &P::conversionFindRegex,
     &P::conversionFindWildcards, &P::conversionFindCaseInsensitive},
    {"trim", "trimFindText", &P::trimFindText, &P::trimFindRegex, &P::trimFindWildcards,
     &P::trimFindCaseInsensitive},
    {"prefix", "prefixFindText", &P::prefixFindText, &P::prefixFindRegex, &P::prefixFindWildcards,
     &P::prefixFindCaseInsensitive},
    {"suffix", "suffixFindText", &P::suffixFindText, &P::suffixFindRegex, &P::suffixFindWildcards,
     &P::suffixFindCaseInsensitive},
    {"set", "setFindText", &P::setFindText, &P::setFindRegex, &P::setFindWildcards, &P::setFindCaseInsensitive},
};

// The string settings that take one of a few values. An empty value is the same as an absent one.
struct Choice {
    std::string_view type;
    std::string_view key;
    const std::optional<std::string> TransformerProperties::*field;
    std::vector<std::string> allowed;
};

const std::vector<Choice>& choices() {
    static const std::vector<Choice> table = {
        {"insert", "insertPosition", &P::insertPosition, {"start", "end"}},
        {"numbering", "numberPosition", &P::numberPosition, {"start", "end"}},
        {"numbering", "numberFormat", &P::numberFormat, {"decimal", "hexadecimal", "roman"}},
        {"conversion",
         "conversionType",
         &P::conversionType,
         {"uppercase", "lowercase", "capitalizeall", "capitalizefirst", "removediacritics", "windowscompatibility",
          "lookup"}},
        {"trim", "trimPosition", &P::trimPosition, {"start", "end", "around", "starteach", "endeach", "aroundeach"}},
        {"trim",
         "trimMatch",
         &P::trimMatch,
         {"trimany", "trimanyof", "trimanyexcept", "keepany", "keepanyof", "keepanyexcept"}},
        {"select", "selectType", &P::selectType, {"all", "matching", "notmatching"}},
    };
    return table;
}

struct TokenField {
    std::string_view type;
    std::string_view key;
    const std::optional<TokenString> TransformerProperties::*field;
};

const TokenField kTokenFields[] = {
    {"simple", "simpleReplaceText", &P::simpleReplaceText},
    {"insert", "insertText", &P::insertText},
    {"regularexpression", "regexFindText", &P::regexFindText},
    {"regularexpression", "regexReplaceText", &P::regexReplaceText},
    {"prefix", "prefixText", &P::prefixText},
    {"suffix", "suffixText", &P::suffixText},
    {"set", "setText", &P::setText},
};

// Keys that older recipes use and that decoding still reads.
const std::vector<std::string>& olderKeys() {
    static const std::vector<std::string> keys = {"caseType",       "caseMatch",      "conversionMatch",
                                                  "trimLocation",   "numberLocation", "numberLocationOffset",
                                                  "insertMatch",    "insertLocation"};
    return keys;
}

const std::vector<std::string>& propertyKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (std::string_view key : TransformerProperties::keys())
            all.emplace_back(key);
        return all;
    }();
    return keys;
}

const std::vector<std::string>& recordKeys() {
    static const std::vector<std::string> keys = {"id", "type", "transformScope", "properties", "disabled",
                                                  "description"};
    return keys;
}

bool contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

// The group numbers a replacement template refers to, read as the template expansion reads them.
std::vector<std::pair<std::string, std::size_t>> groupReferences(std::string_view replacement, std::size_t groups) {
    std::vector<std::pair<std::string, std::size_t>> references;
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        if (replacement[i] == '\\') {
            ++i;
            continue;
        }
        if (replacement[i] != '$' || i + 1 >= replacement.size() || replacement[i + 1] < '0' ||
            replacement[i + 1] > '9')
            continue;
        const std::size_t start = i++;
        std::size_t group = static_cast<std::size_t>(replacement[i] - '0');
        while (i + 1 < replacement.size() && replacement[i + 1] >= '0' && replacement[i + 1] <= '9' &&
               group * 10 + static_cast<std::size_t>(replacement[i + 1] - '0') <= groups)
            group = group * 10 + static_cast<std::size_t>(replacement[++i] - '0');
        references.emplace_back(std::string(replacement.substr(start, i + 1 - start)), group);
    }
    return references;
}

class Checker {
public:
    Checker(const Transformer& transformer, std::size_t position, const TokenDetailsList* catalogue)
        : transformer_(transformer), position_(position), catalogue_(catalogue) {}

    std::vector<ChainProblem> run() {
        const auto& p = transformer_.properties;
        const std::string& type = transformer_.type;
        for (const FindGroup& group : kFindGroups) {
            if (group.type != type || !(p.*group.text) || (p.*group.wildcards).value_or(false) ||
                !(p.*group.regex).value_or(false))
                continue;
            pattern(group.textKey, *(p.*group.text), (p.*group.caseInsensitive).value_or(false));
        }
        if (type == TransformerType::regularExpression && p.regexFindText) {
            const std::string find = RegExpResolver::resolve(*p.regexFindText).pattern;
            const bool caseInsensitive = p.regexCaseInsensitive.value_or(false);
            if (pattern("regexFindText", find, caseInsensitive) && p.regexReplaceText)
                groups(find, caseInsensitive, *p.regexReplaceText);
        }
        if (type == TransformerType::select && p.selectMatch && p.selectType.value_or("all") != "all")
            pattern("selectMatch", *p.selectMatch, true);
        if (type == TransformerType::conversion && p.conversionType == "lookup" && p.conversionLookup) {
            for (const auto& row : *p.conversionLookup)
                if (!row.empty() && !row.front().empty())
                    pattern("conversionLookup", row.front(), false);
        }
        for (const Choice& choice : choices()) {
            const auto& value = p.*choice.field;
            if (choice.type != type || !value || value->empty() || contains(choice.allowed, *value))
                continue;
            ChainProblem& problem = add(ChainProblem::Code::unknownValue, choice.key, *value);
            problem.allowed = choice.allowed;
            problem.suggestion = ChainCheck::closest(*value, choice.allowed);
        }
        for (const TokenField& field : kTokenFields) {
            if (field.type == type && p.*field.field)
                tokens(field.key, *(p.*field.field));
        }
        // Numbers kept as text: one that does not read as a whole number is taken as the default.
        const struct {
            std::string_view type;
            std::string_view key;
            const std::optional<std::string>& value;
            const char* fallback;
        } numbers[] = {{TransformerType::numbering, "numberStartText", p.numberStartText, "1"},
                       {TransformerType::numbering, "numberSkipText", p.numberSkipText, "1"},
                       {TransformerType::numbering, "numberDigitText", p.numberDigitText, "1"},
                       {TransformerType::numbering, "numberResetEveryText", p.numberResetEveryText, "1"},
                       {TransformerType::trim, "trimCount", p.trimCount, "1"}};
        for (const auto& number : numbers)
            if (number.type == type && number.value && !number.value->empty() && !parseInteger(*number.value))
                add(ChainProblem::Code::notAWholeNumber, number.key, *number.value).detail = number.fallback;
        return std::move(problems_);
    }

private:
    ChainProblem& add(ChainProblem::Code code, std::string_view key, std::string value) {
        ChainProblem problem;
        problem.code = code;
        problem.action = position_;
        problem.actionType = transformer_.type;
        problem.key = std::string(key);
        problem.value = std::move(value);
        problems_.push_back(std::move(problem));
        return problems_.back();
    }

    // Whether the pattern compiles; when it does not, a problem says why.
    bool pattern(std::string_view key, const std::string& text, bool caseInsensitive) {
        const auto error = text::Regex::syntaxError(text, text::RegexOptions{caseInsensitive});
        if (!error)
            return true;
        ChainProblem& problem = add(ChainProblem::Code::invalidPattern, key, text);
        problem.detail = error->libraryMessage;
        problem.offset = error->offset;
        return false;
    }

    void groups(const std::string& find, bool caseInsensitive, const TokenString& replacement) {
        const auto regex = text::Regex::compile(std::string_view(find), text::RegexOptions{caseInsensitive});
        if (!regex)
            return;
        const std::size_t count = regex->groupCount();
        for (const TokenItem& item : replacement.items) {
            if (item.type != TokenItem::typeString)
                continue;
            for (const auto& [reference, group] : groupReferences(item.value, count)) {
                if (group > count)
                    add(ChainProblem::Code::unknownGroup, "regexReplaceText", reference).detail = std::to_string(count);
            }
        }
    }

    void tokens(std::string_view key, const TokenString& tokens) {
        static const std::vector<std::string> itemTypes = {std::string(TokenItem::typeString),
                                                           std::string(TokenItem::typeAttribute),
                                                           std::string(TokenItem::typeRegex)};
        for (const TokenItem& item : tokens.items) {
            if (!contains(itemTypes, item.type)) {
                ChainProblem& problem = add(ChainProblem::Code::unknownItemType, key, item.type);
                problem.allowed = itemTypes;
                problem.suggestion = ChainCheck::closest(item.type, itemTypes);
                continue;
            }
            if (!item.isAttribute() || !catalogue_ || catalogue_->tokenDetailsDictionary.empty() ||
                catalogue_->details(item.value))
                continue;
            add(ChainProblem::Code::unknownAttribute, key, item.value).suggestion =
                ChainCheck::closest(item.value, attributeIds());
        }
    }

    const std::vector<std::string>& attributeIds() {
        if (attributeIds_.empty())
            for (const auto& [id, details] : catalogue_->tokenDetailsDictionary)
                attributeIds_.push_back(id);
        return attributeIds_;
    }

    const Transformer& transformer_;
    std::size_t position_;
    const TokenDetailsList* catalogue_;
    std::vector<ChainProblem> problems_;
    std::vector<std::string> attributeIds_;
};

void unknownKeys(const Json& object, const std::vector<std::string>& known, std::string_view prefix,
                 const Transformer& transformer, std::size_t position, std::vector<ChainProblem>& problems) {
    for (const auto& [key, value] : object.items()) {
        if (contains(known, key) || (prefix.empty() ? false : contains(olderKeys(), key)))
            continue;
        ChainProblem problem;
        problem.code = ChainProblem::Code::unknownKey;
        problem.action = position;
        problem.actionType = transformer.type;
        problem.key = std::string(prefix) + key;
        problem.value = key;
        problem.suggestion = ChainCheck::closest(key, known);
        problems.push_back(std::move(problem));
    }
}

} // namespace

ChainCheck::ChainCheck(std::shared_ptr<const TokenDetailsList> catalogue) : catalogue_(std::move(catalogue)) {
    if (!catalogue_)
        catalogue_ = Registry::shared().get<TokenDetailsList>();
    if (!catalogue_) {
        static const auto builtIn = std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded());
        catalogue_ = builtIn;
    }
}

std::vector<ChainProblem> ChainCheck::check(const Transformer& transformer, std::size_t position) const {
    return Checker(transformer, position, catalogue_.get()).run();
}

// A kind the program does not know is left out of the chain: said once, and nothing else about it.
std::optional<ChainProblem> ChainCheck::unknownKind(const std::string& type, std::size_t position) {
    if (transformerTypeInfo(type))
        return std::nullopt;
    ChainProblem problem;
    problem.code = ChainProblem::Code::unknownValue;
    problem.action = position;
    problem.actionType = type;
    problem.key = "type";
    problem.value = type;
    for (const auto& known : transformerTypes())
        problem.allowed.emplace_back(known.typeId);
    problem.suggestion = closest(type, problem.allowed);
    return problem;
}

std::vector<ChainProblem> ChainCheck::check(const Transformer& transformer, const nlohmann::ordered_json& record,
                                            std::size_t position) const {
    std::vector<ChainProblem> problems;
    if (auto unknown = unknownKind(transformer.type, position)) {
        problems.push_back(std::move(*unknown));
        return problems;
    }
    if (record.is_object()) {
        unknownKeys(record, recordKeys(), "", transformer, position, problems);
        if (const auto properties = record.find("properties");
            properties != record.end() && properties->is_object())
            unknownKeys(*properties, propertyKeys(), "properties.", transformer, position, problems);
    }
    auto more = check(transformer, position);
    problems.insert(problems.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    return problems;
}

std::vector<ChainProblem> ChainCheck::checkRecipe(const nlohmann::ordered_json& recipe) const {
    std::vector<ChainProblem> problems;
    if (!recipe.is_object())
        return problems;
    const auto list = recipe.find("transformers");
    if (list == recipe.end() || !list->is_array())
        return problems;
    for (std::size_t i = 0; i < list->size(); ++i) {
        const Json& record = (*list)[i];
        const auto decoded = Transformer::fromJson(record);
        if (!decoded) {
            const auto type = record.is_object() ? record.find("type") : record.end();
            if (type != record.end() && type->is_string())
                if (auto unknown = unknownKind(type->get<std::string>(), i))
                    problems.push_back(std::move(*unknown));
            continue;
        }
        auto found = check(*decoded, record, i);
        problems.insert(problems.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    return problems;
}

std::string ChainCheck::closest(const std::string& name, const std::vector<std::string>& known) {
    const auto nearest = text::nearestNames(name, known, 1);
    return nearest.empty() ? std::string() : nearest.front();
}

} // namespace quillory
