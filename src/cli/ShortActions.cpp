// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortActions.h"

#include "actions/LookupTableImport.h"
#include "app/PreferenceKey.h"
#include "model/Transformer.h"
#include "model/TransformerTypes.h"
#include "text/DisplayWidth.h"
#include "text/NearestNames.h"
#include "text/Utf.h"
#include "model/TokenTemplate.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <tuple>

namespace quillory::cli {
namespace {

// A name can hold at most 255 bytes, so this many repetitions trim every matching character.
constexpr const char* everyCharacter = "255";
// The trim count becomes a repeat count in a pattern, and patterns take none larger.
constexpr long long largestTrimCount = 16'777'215;

std::optional<long long> integer(std::string_view text) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool isSettingAssignment(std::string_view text) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return false;
    const PreferenceKey key(text.substr(0, equals));
    for (const auto* known : {&PreferenceKey::versionCheckOnStartup, &PreferenceKey::openMostRecentRecipeOnStartup,
                              &PreferenceKey::gpsAddressLookup, &PreferenceKey::renameAliases,
                              &PreferenceKey::autoResolveDuplicates, &PreferenceKey::renameEmptyFolders,
                              &PreferenceKey::autoIgnoreFilePermissionErrors, &PreferenceKey::gpsGeocoder})
        if (key == *known)
            return true;
    return false;
}

// Whether a value after --number is a start (and step) it can take.
bool isNumberStart(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return integer(text).has_value();
    return integer(text.substr(0, colon)) && integer(text.substr(colon + 1));
}

bool isWholeNumberText(std::string_view text) {
    if (text.starts_with('-'))
        text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a value after --number is meant as its start (and step) rather than a path: by its shape, so
// that a start too large to take is refused instead of being opened as a file.
bool looksLikeNumberStart(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return isWholeNumberText(text);
    return isWholeNumberText(text.substr(0, colon)) && isWholeNumberText(text.substr(colon + 1));
}

class Builder {
public:
    Builder(const std::vector<std::string>& arguments, const TokenDetailsList& catalogue)
        : arguments_(arguments), catalogue_(catalogue) {}

    Result<ExtractedActions> run() {
        for (index_ = 0; index_ < arguments_.size(); ++index_) {
            std::string argument = arguments_[index_];
            if (argument == "--") {
                out_.remaining.insert(out_.remaining.end(), arguments_.begin() + index_, arguments_.end());
                break;
            }
            // "--name=value" stands for "--name value".
            inlineValue_.reset();
            if (argument.starts_with("--")) {
                if (const auto equals = argument.find('='); equals != std::string::npos) {
                    inlineValue_ = argument.substr(equals + 1);
                    argument.resize(equals);
                }
            }
            option_ = argument;
            auto status = handle(argument);
            if (!status)
                return status.error();
        }
        if (scope_)
            return Error{"--scope " + scopeText_ + " is not followed by an action"};
        if (auto status = flush(); !status)
            return status.error();
        return std::move(out_);
    }

private:
    Status handle(const std::string& argument) {
        if (argument == "-a" || argument == "--action") {
            auto json = value();
            if (!json)
                return json.error();
            if (scope_)
                return Error{"--scope " + scopeText_ + " applies to the short action after it; a JSON action gives "
                             "its own \"transformScope\""};
            if (auto status = flush(); !status)
                return status;
            out_.actions.push_back(*json);
            return {};
        }
        if (argument == "--scope")
            return setScope();
        if (argument == "--set") {
            auto text = value();
            if (!text)
                return text.error();
            if (isSettingAssignment(*text)) {
                out_.remaining.push_back("--setting");
                out_.remaining.push_back(*text);
                return {};
            }
            return start(TransformerType::set, [&](TransformerProperties& p) { return tokens(*text, p.setText); });
        }
        const auto known = std::find_if(shortOptions().begin(), shortOptions().end(),
                                        [&](const ShortOption& option) { return option.name == argument; });
        if (known == shortOptions().end()) {
            if (inlineValue_)
                out_.remaining.push_back(argument + "=" + *inlineValue_);
            else
                out_.remaining.push_back(argument);
            return {};
        }
        return known->kind.empty() ? modify(argument) : add(argument);
    }

    Status add(const std::string& argument) {
        if (argument == "--replace") {
            auto find = value();
            if (!find)
                return find.error();
            auto replacement = value();
            if (!replacement)
                return replacement.error();
            if (auto status = utf8(*find); !status)
                return status;
            return start(TransformerType::simple, [&](TransformerProperties& p) {
                p.simpleFindText = *find;
                return tokens(*replacement, p.simpleReplaceText);
            });
        }
        if (argument == "--insert")
            return withText([&](TransformerProperties& p, const std::string& text) {
                return tokens(text, p.insertText);
            }, TransformerType::insert);
        if (argument == "--prefix")
            return withText([&](TransformerProperties& p, const std::string& text) {
                return tokens(text, p.prefixText);
            }, TransformerType::prefix);
        if (argument == "--suffix")
            return withText([&](TransformerProperties& p, const std::string& text) {
                return tokens(text, p.suffixText);
            }, TransformerType::suffix);
        if (argument == "--number") {
            std::optional<std::string> first;
            if (inlineValue_)
                first = *inlineValue_;
            else if (index_ + 1 < arguments_.size() && looksLikeNumberStart(arguments_[index_ + 1]))
                first = arguments_[++index_];
            if (first && !isNumberStart(*first))
                return Error{"--number takes START or START:STEP (whole numbers), not '" + *first + "'"};
            return start(TransformerType::numbering, [&](TransformerProperties& p) -> Status {
                // "001 name" is the common wish; --at end puts the number after the name.
                p.numberPosition = "start";
                if (!first)
                    return {};
                const auto colon = first->find(':');
                p.numberStartText = first->substr(0, colon);
                if (colon != std::string::npos)
                    p.numberSkipText = first->substr(colon + 1);
                return {};
            });
        }
        if (argument == "--trim" || argument == "--trim-start" || argument == "--trim-end") {
            auto count = value();
            if (!count)
                return count.error();
            if (!integer(*count) || *integer(*count) < 0)
                return Error{argument + " takes a count of characters, not '" + *count + "'"};
            if (*integer(*count) > largestTrimCount)
                return Error{argument + " takes a count of characters up to " + std::to_string(largestTrimCount) +
                             ", not '" + *count + "'"};
            return start(TransformerType::trim, [&](TransformerProperties& p) -> Status {
                p.trimPosition = argument == "--trim" ? "around" : argument == "--trim-start" ? "start" : "end";
                p.trimCount = std::to_string(*integer(*count));
                return {};
            });
        }
        if (argument == "--trim-chars") {
            auto characters = value();
            if (!characters)
                return characters.error();
            if (auto status = utf8(*characters); !status)
                return status;
            return start(TransformerType::trim, [&](TransformerProperties& p) -> Status {
                p.trimPosition = "around";
                p.trimMatch = "trimanyof";
                p.trimCharacters = *characters;
                p.trimCount = everyCharacter;
                return {};
            });
        }
        if (argument == "--case") {
            auto which = value();
            if (!which)
                return which.error();
            static const std::vector<std::pair<std::string, std::string>> cases = {
                {"lower", "lowercase"}, {"upper", "uppercase"}, {"title", "capitalizeall"},
                {"sentence", "capitalizefirst"}};
            const auto found = std::find_if(cases.begin(), cases.end(), [&](const auto& c) { return c.first == *which; });
            if (found == cases.end())
                return Error{"--case takes lower, upper, title or sentence, not '" + *which + "'"};
            return conversion(found->second);
        }
        if (argument == "--ascii")
            return conversion("removediacritics");
        if (argument == "--windows-safe")
            return conversion("windowscompatibility");
        if (argument == "--lookup") {
            auto file = value();
            if (!file)
                return file.error();
            auto rows = importLookupFile(*file);
            if (!rows)
                return Error{"--lookup: " + rows.error().message};
            for (std::size_t row = 0; row < rows->size(); ++row) {
                const auto& [find, replace] = (*rows)[row];
                if (!text::isValidUtf8(find) || !text::isValidUtf8(replace))
                    return Error{"--lookup: the text is not valid UTF-8 (row " + std::to_string(row + 1) + " of " +
                                 text::visibleEscapes(*file) + ": " + text::visibleEscapes(find) + ";" +
                                 text::visibleEscapes(replace) + ")"};
            }
            return start(TransformerType::conversion, [&](TransformerProperties& p) -> Status {
                p.conversionType = "lookup";
                p.conversionLookup.emplace();
                for (const auto& row : *rows)
                    p.conversionLookup->push_back(row.toPair());
                return {};
            });
        }
        if (argument == "--select") {
            auto pattern = value();
            if (!pattern)
                return pattern.error();
            if (auto status = utf8(*pattern); !status)
                return status;
            return start(TransformerType::select, [&](TransformerProperties& p) -> Status {
                p.selectType = "matching";
                p.selectMatch = *pattern;
                return {};
            });
        }
        return Error{"internal: no builder for " + argument};
    }

    // The modifiers change the action just before them.
    Status modify(const std::string& argument) {
        if (!current_)
            return Error{argument + " changes the action before it; put it after --replace, --insert, --number, ..."};
        auto& p = current_->properties;
        const std::string& type = current_->type;
        auto refuse = [&] {
            return Error{argument + " does not apply to " + describe(type) + "; see --describe " + type};
        };
        if (argument == "--regex" || argument == "--wildcards" || argument == "--ignore-case" ||
            argument == "--first") {
            if (inlineValue_)
                return Error{argument + " takes no value"};
            return findFlag(argument, type, p) ? Status{} : Status{refuse()};
        }
        if (argument == "--per-folder") {
            if (type != TransformerType::numbering)
                return refuse();
            p.numberResetEveryDirectoryChange = true;
            return {};
        }
        auto text = value();
        if (!text)
            return text.error();
        if (argument == "--at") {
            // "start" and "end" are positions 0 and -0.
            const auto offset = *text == "start" || *text == "end" ? std::optional<long long>(0) : integer(*text);
            if (!offset)
                return Error{"--at takes start, end or a character position (negative counts from the end), not '" +
                             *text + "'"};
            using Limits = std::numeric_limits<int>;
            if (*offset < Limits::min() || *offset > Limits::max())
                return Error{"--at takes a character position from " + std::to_string(Limits::min()) + " to " +
                             std::to_string(Limits::max()) + ", not '" + *text + "'"};
            const bool fromEnd = *offset < 0 || *text == "end";
            if (type == TransformerType::insert) {
                p.insertPosition = fromEnd ? "end" : "start";
                p.insertOffset = static_cast<int>(*offset);
                return {};
            }
            if (type == TransformerType::numbering) {
                p.numberPosition = fromEnd ? "end" : "start";
                p.numberPositionOffset = static_cast<int>(*offset);
                return {};
            }
            return refuse();
        }
        if (argument == "--after" || argument == "--before" || argument == "--separator")
            if (auto status = utf8(*text); !status)
                return status;
        if (argument == "--after" || argument == "--before") {
            const std::string position = argument == "--after" ? "end" : "start";
            if (type == TransformerType::insert) {
                p.insertFindText = *text;
                p.insertPosition = position;
                return {};
            }
            if (type == TransformerType::numbering) {
                p.numberFindText = *text;
                p.numberPosition = position;
                return {};
            }
            return refuse();
        }
        if (type != TransformerType::numbering)
            return refuse();
        if (argument == "--digits") {
            const auto digits = integer(*text);
            if (!digits || *digits < 1 || *digits > 20)
                return Error{"--digits takes a count from 1 to 20, not '" + *text + "'"};
            p.numberDigitText = std::to_string(*digits);
            return {};
        }
        if (argument == "--format") {
            static const std::vector<std::pair<std::string, std::string>> formats = {
                {"dec", "decimal"}, {"decimal", "decimal"}, {"hex", "hexadecimal"}, {"hexadecimal", "hexadecimal"},
                {"roman", "roman"}};
            const auto found =
                std::find_if(formats.begin(), formats.end(), [&](const auto& f) { return f.first == *text; });
            if (found == formats.end())
                return Error{"--format takes dec, hex or roman, not '" + *text + "'"};
            p.numberFormat = found->second;
            return {};
        }
        if (argument == "--separator") {
            p.numberSeparatorText = *text;
            return {};
        }
        return refuse();
    }

    bool findFlag(const std::string& argument, const std::string& type, TransformerProperties& p) {
        if (type == TransformerType::simple) {
            if (argument == "--regex") {
                if (p.simpleWildcards.value_or(false))
                    return false;
                convertToRegex();
                return true;
            }
            (argument == "--wildcards"     ? p.simpleWildcards
             : argument == "--ignore-case" ? p.simpleCaseInsensitive
                                           : p.simpleFindFirst) = true;
            return true;
        }
        if (type == TransformerType::regularExpression) {
            if (argument == "--ignore-case")
                p.regexCaseInsensitive = true;
            else if (argument == "--first")
                p.regexFindFirst = true;
            return argument == "--ignore-case" || argument == "--first" || argument == "--regex";
        }
        // Insert and number find their place by --after/--before; the flags say how that text matches.
        std::optional<bool>*wildcards = nullptr, *regex = nullptr, *caseInsensitive = nullptr, *first = nullptr;
        if (type == TransformerType::insert && p.insertFindText)
            std::tie(wildcards, regex, caseInsensitive, first) = std::tuple(
                &p.insertFindWildcards, &p.insertFindRegex, &p.insertFindCaseInsensitive, &p.insertFindFirst);
        else if (type == TransformerType::numbering && p.numberFindText)
            std::tie(wildcards, regex, caseInsensitive, first) = std::tuple(
                &p.numberFindWildcards, &p.numberFindRegex, &p.numberFindCaseInsensitive, &p.numberFindFirst);
        if (!wildcards)
            return false;
        (argument == "--regex"         ? *regex
         : argument == "--wildcards"   ? *wildcards
         : argument == "--ignore-case" ? *caseInsensitive
                                       : *first) = true;
        return true;
    }

    // --replace FIND REPL --regex: the same two texts as a regular expression action.
    void convertToRegex() {
        const auto& simple = current_->properties;
        TransformerProperties regex;
        regex.regexFindText = TokenString::fromPlainString(simple.simpleFindText.value_or(""));
        regex.regexReplaceText = simple.simpleReplaceText;
        regex.regexCaseInsensitive = simple.simpleCaseInsensitive;
        regex.regexFindFirst = simple.simpleFindFirst;
        current_->type = std::string(TransformerType::regularExpression);
        current_->properties = std::move(regex);
    }

    static std::string describe(std::string_view type) {
        const auto* info = transformerTypeInfo(type);
        return info ? "a " + std::string(info->title) + " action" : std::string(type);
    }

    Status setScope() {
        auto name = value();
        if (!name)
            return name.error();
        for (const auto& scope : scopeNames())
            if (scope.name == *name || scope.raw == *name) {
                scope_ = transformScopeFromRaw(scope.raw);
                scopeText_ = *name;
                return {};
            }
        // The spelling the older manual page used.
        if (*name == "fullPath") {
            scope_ = TransformScope::fullPath;
            scopeText_ = *name;
            return {};
        }
        std::vector<std::string> names;
        for (const auto& scope : scopeNames())
            names.emplace_back(scope.name);
        std::string message = "--scope takes name, path, ext or full, not '" + *name + "'";
        if (const auto hint = text::didYouMean(text::nearestNames(*name, names)); !hint.empty())
            message += "; " + hint;
        return Error{message};
    }

    template <typename Fill>
    Status start(std::string_view type, Fill fill) {
        if (auto status = flush(); !status)
            return status;
        Transformer record{std::string(type), scope_.value_or(TransformScope::filename)};
        scope_.reset();
        if (auto status = fill(record.properties); !status)
            return status;
        current_ = std::move(record);
        currentOption_ = option_;
        return {};
    }

    template <typename Fill>
    Status withText(Fill fill, std::string_view type) {
        auto text = value();
        if (!text)
            return text.error();
        return start(type, [&](TransformerProperties& p) { return fill(p, *text); });
    }

    Status conversion(std::string type) {
        return start(TransformerType::conversion, [&](TransformerProperties& p) -> Status {
            p.conversionType = std::move(type);
            return {};
        });
    }

    // Actions travel as JSON, which holds only UTF-8.
    Status utf8(const std::string& text) const {
        if (text::isValidUtf8(text))
            return {};
        return Error{option_ + ": the text is not valid UTF-8"};
    }

    Status tokens(const std::string& text, std::optional<TokenString>& field) {
        if (auto status = utf8(text); !status)
            return status;
        auto parsed = TokenTemplate::parse(text, catalogue_);
        if (!parsed)
            return Error{option_ + " '" + text + "': " + parsed.error().message};
        field = std::move(*parsed);
        return {};
    }

    Result<std::string> value() {
        if (inlineValue_) {
            auto text = std::move(*inlineValue_);
            inlineValue_.reset();
            return text;
        }
        if (index_ + 1 >= arguments_.size())
            return Error{option_ + " needs a value"};
        return arguments_[++index_];
    }

    Status flush() {
        if (!current_)
            return {};
        std::string json;
        try {
            json = current_->toJson().dump();
        } catch (const nlohmann::json::exception& e) {
            // Every text was checked on the way in; this keeps a slip from ending the program.
            return Error{currentOption_ + ": the action cannot be written: " + e.what()};
        }
        out_.actions.push_back(std::move(json));
        current_.reset();
        return {};
    }

    const std::vector<std::string>& arguments_;
    const TokenDetailsList& catalogue_;
    std::size_t index_ = 0;
    std::string option_;
    std::optional<std::string> inlineValue_;
    std::optional<TransformScope> scope_;
    std::string scopeText_;
    std::optional<Transformer> current_;
    std::string currentOption_; // the option that started current_
    ExtractedActions out_;
};

} // namespace

const std::vector<ShortOption>& shortOptions() {
    static const std::vector<ShortOption> options = {
        {"--replace", "FIND REPL", "simple", "Replace FIND by REPL (REPL may hold {tokens})"},
        {"--regex", "", "", "The FIND before is a regular expression; REPL may use $1, $2, ..."},
        {"--wildcards", "", "", "The FIND before may use * and ?"},
        {"--ignore-case", "", "", "The FIND before matches in any case"},
        {"--first", "", "", "Only the first match of the FIND before"},
        {"--insert", "TEXT", "insert", "Insert TEXT (at the end unless --at or --after follows)"},
        {"--at", "start|end|N", "", "Insert or number at the start, the end or character N (-N: from the end)"},
        {"--after", "FIND", "", "Insert or number after FIND"},
        {"--before", "FIND", "", "Insert or number before FIND"},
        {"--prefix", "TEXT", "prefix", "Put TEXT before the name"},
        {"--suffix", "TEXT", "suffix", "Put TEXT after the name"},
        {"--set", "TEXT", "set", "Set the whole name to TEXT"},
        {"--number", "[START[:STEP]]", "numbering", "Number the files in list order, before the name"},
        {"--digits", "N", "", "Pad the number before to N digits"},
        {"--per-folder", "", "", "Start the number before again in every folder"},
        {"--format", "dec|hex|roman", "", "How the number before is written"},
        {"--separator", "TEXT", "", "Put TEXT between the number before and the name"},
        {"--trim", "N", "trim", "Remove N characters from both ends"},
        {"--trim-start", "N", "trim", "Remove N characters from the start"},
        {"--trim-end", "N", "trim", "Remove N characters from the end"},
        {"--trim-chars", "CHARS", "trim", "Remove any of CHARS from both ends"},
        {"--case", "lower|upper|title|sentence", "conversion", "Change the case"},
        {"--ascii", "", "conversion", "Remove diacritics (é becomes e)"},
        {"--windows-safe", "", "conversion", "Replace the characters that Windows does not allow"},
        {"--lookup", "FILE", "conversion", "Replace by the rows FIND;REPLACE of a table file"},
        {"--select", "REGEX", "select", "Apply the actions that follow only to names matching REGEX"},
    };
    return options;
}

const std::vector<ScopeName>& scopeNames() {
    static const std::vector<ScopeName> names = {
        {"name", "filename"}, {"path", "path"}, {"ext", "extension"}, {"full", "fullpath"}};
    return names;
}

Result<ExtractedActions> extractActions(const std::vector<std::string>& arguments, const TokenDetailsList& catalogue) {
    return Builder(arguments, catalogue).run();
}

} // namespace quillory::cli
