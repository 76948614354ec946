// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ActionFields.h"

#include "model/TransformerTypes.h"

#include <map>
#include <string>

namespace quillory::gui {
namespace {

using Kind = ActionField::Kind;

// The find group most kinds share: "<prefix>FindText", "...Wildcards", "...Regex", "...CaseInsensitive", "...First".
std::vector<ActionField> findGroup(std::string_view prefix, bool withFirst = true) {
    static std::map<std::string, std::string> keys; // storage for the composed key texts
    const auto key = [&](std::string_view suffix) -> std::string_view {
        const std::string name = std::string(prefix) + std::string(suffix);
        return keys.emplace(name, name).first->second;
    };
    std::vector<ActionField> fields = {
        {key("FindText"), "Find", Kind::text, {}, "the whole text"},
        {key("FindWildcards"), "Wildcards (*)", Kind::flag},
        {key("FindRegex"), "Regular expression", Kind::flag},
        {key("FindCaseInsensitive"), "Ignore case", Kind::flag},
    };
    if (withFirst)
        fields.push_back({key("FindFirst"), "First match only", Kind::flag});
    return fields;
}

std::vector<ActionField> with(std::vector<ActionField> fields, std::initializer_list<ActionField> more) {
    fields.insert(fields.end(), more);
    return fields;
}

ActionField when(ActionField field, std::string_view key, std::vector<std::string_view> values) {
    field.shownWhen = key;
    field.shownFor = std::move(values);
    return field;
}

const std::vector<ActionField::Choice> startEnd = {{"end", "End"}, {"start", "Start"}};

std::map<std::string_view, std::vector<ActionField>> makeTable() {
    namespace T = TransformerType;
    std::map<std::string_view, std::vector<ActionField>> table;
    table[T::simple] = {
        {"simpleFindText", "Find", Kind::text},
        {"simpleReplaceText", "Replace", Kind::tokens},
        {"simpleWildcards", "Wildcards (*)", Kind::flag},
        {"simpleCaseInsensitive", "Ignore case", Kind::flag},
        {"simpleFindFirst", "First match only", Kind::flag},
    };
    table[T::insert] = with(findGroup("insert"), {
        {"insertText", "Insert", Kind::tokens},
        {"insertPosition", "Position", Kind::choice, startEnd},
        {"insertOffset", "Offset", Kind::integer},
    });
    table[T::prefix] = with(findGroup("prefix"), {{"prefixText", "Prefix", Kind::tokens}});
    table[T::suffix] = with(findGroup("suffix"), {{"suffixText", "Suffix", Kind::tokens}});
    table[T::set] = with(findGroup("set", false), {{"setText", "Set to", Kind::tokens}});
    table[T::numbering] = with(findGroup("number"), {
        {"numberPosition", "Position", Kind::choice, startEnd},
        {"numberPositionOffset", "Offset", Kind::integer},
        {"numberSeparatorText", "Separator", Kind::text, {}, "none"},
        {"numberFormat", "Format", Kind::choice, {{"decimal", "Decimal"}, {"hexadecimal", "Hexadecimal"}, {"roman", "Roman"}}},
        {"numberDigitText", "Digits", Kind::text, {}, "1"},
        {"numberStartText", "Start at", Kind::text, {}, "1"},
        {"numberSkipText", "Step", Kind::text, {}, "1"},
        {"numberRepeatCount", "Repeat each number", Kind::integer, {}, {}, 1},
        {"numberResetEvery", "Reset every", Kind::flag},
        when({"numberResetEveryText", "Reset after", Kind::text, {}, "1"}, "numberResetEvery", {"true"}),
        {"numberResetEveryDirectoryChange", "Restart in every folder", Kind::flag},
        {"numberRandom", "Random numbers", Kind::flag},
    });
    table[T::conversion] = with(findGroup("conversion"), {
        {"conversionType", "Conversion", Kind::choice,
         {{"", "None"}, {"uppercase", "Uppercase"}, {"lowercase", "Lowercase"}, {"capitalizeall", "Capitalize Each Word"},
          {"capitalizefirst", "Capitalize First Word"}, {"removediacritics", "Remove Diacritics"},
          {"windowscompatibility", "Windows Compatibility"}, {"lookup", "Lookup"}}},
        when({"conversionLookup", "Lookup table", Kind::lookup}, "conversionType", {"lookup"}),
    });
    table[T::trim] = with(findGroup("trim"), {
        {"trimPosition", "Position", Kind::choice,
         {{"start", "Start"}, {"end", "End"}, {"around", "Around"}, {"starteach", "Start Each Path Component"},
          {"endeach", "End Each Path Component"}, {"aroundeach", "Around Each Path Component"}}},
        {"trimOffset", "Offset", Kind::integer},
        {"trimCount", "Count", Kind::text, {}, "1"},
        {"trimMatch", "Characters", Kind::choice,
         {{"trimany", "Trim Any Character"}, {"trimanyof", "Trim Any Of"}, {"trimanyexcept", "Trim Any Except"},
          {"keepany", "Keep Any Character"}, {"keepanyof", "Keep Any Of"}, {"keepanyexcept", "Keep Any Except"}}},
        when({"trimCharacters", "Character set", Kind::text}, "trimMatch",
             {"trimanyof", "trimanyexcept", "keepanyof", "keepanyexcept"}),
        {"trimLeadingTrailingSpaces", "Remove spaces at both ends", Kind::flag},
    });
    table[T::regularExpression] = {
        {"regexFindText", "Find (expression)", Kind::tokens},
        {"regexReplaceText", "Replace", Kind::tokens},
        {"regexCaseInsensitive", "Ignore case", Kind::flag},
        {"regexFindFirst", "First match only", Kind::flag},
    };
    table[T::select] = {
        {"selectType", "Select", Kind::choice,
         {{"all", "All"}, {"matching", "Matching Regular Expression"},
          {"notmatching", "Not Matching Regular Expression"}}},
        when({"selectMatch", "Expression", Kind::text}, "selectType", {"matching", "notmatching"}),
    };
    return table;
}

} // namespace

const std::vector<ActionField>& actionFields(std::string_view type) {
    static const auto table = makeTable();
    static const std::vector<ActionField> none;
    const auto found = table.find(type);
    return found == table.end() ? none : found->second;
}

} // namespace quillory::gui
