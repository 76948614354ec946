// SPDX-License-Identifier: GPL-3.0-or-later
#include "Vocabulary.h"

#include "CliApp.h"
#include "ShortActions.h"

#include "model/TransformerProperties.h"
#include "model/TransformerTypes.h"
#include "text/NearestNames.h"
#include "model/TokenDetailsList.h"
#include "model/TokenTemplate.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <ostream>
#include <sstream>

namespace quillory::cli {
namespace {

using ValueKind = TransformerProperties::ValueKind;

struct Setting {
    std::string_view fallback; // the value an absent setting stands for
    std::string_view values;   // the values that mean something, when there is a fixed set
};

// Defaults and value sets of the settings that have them; every other text is empty, every switch false.
const std::map<std::string_view, Setting>& settings() {
    static const std::map<std::string_view, Setting> table = {
        {"insertPosition", {"end", "start, end"}},
        {"insertOffset", {"0", ""}},
        {"numberPosition", {"end", "start, end"}},
        {"numberPositionOffset", {"0", ""}},
        {"numberFormat", {"decimal", "decimal, hexadecimal, roman"}},
        {"numberDigitText", {"1", ""}},
        {"numberStartText", {"1", ""}},
        {"numberSkipText", {"1", ""}},
        {"numberRepeatCount", {"1", ""}},
        {"numberResetEveryText", {"1", ""}},
        {"conversionType",
         {"", "uppercase, lowercase, capitalizeall, capitalizefirst, removediacritics, windowscompatibility, lookup"}},
        {"trimPosition", {"start", "start, end, around, starteach, endeach, aroundeach"}},
        {"trimOffset", {"0", ""}},
        {"trimCount", {"1", ""}},
        {"trimMatch", {"trimany", "trimany, trimanyof, trimanyexcept, keepany, keepanyof, keepanyexcept"}},
        {"selectType", {"all", "all, matching, notmatching"}},
    };
    return table;
}

std::string_view kindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::text:
        return "text";
    case ValueKind::tokenText:
        return "token text";
    case ValueKind::boolean:
        return "true/false";
    case ValueKind::integer:
        return "integer";
    case ValueKind::numberText:
        return "whole number";
    case ValueKind::table:
        return "[[find, replace], ...]";
    }
    return "";
}

std::string fallbackOf(const TransformerProperties::Field& field) {
    if (const auto found = settings().find(field.key); found != settings().end())
        return found->second.fallback.empty() ? "empty" : std::string(found->second.fallback);
    if (field.kind == ValueKind::boolean)
        return "false";
    return "empty";
}

std::vector<const ShortOption*> optionsOf(std::string_view kind) {
    std::vector<const ShortOption*> out;
    for (const auto& option : shortOptions())
        if (option.kind == kind)
            out.push_back(&option);
    return out;
}

std::string usageOf(const ShortOption& option) {
    return std::string(option.name) + (option.arguments.empty() ? "" : " " + std::string(option.arguments));
}

void printSettings(std::ostream& out, std::string_view kind, bool withValues) {
    for (const auto& field : TransformerProperties::fields()) {
        if (field.group != kind)
            continue;
        std::string line = "    " + std::string(field.key);
        line.resize(std::max<std::size_t>(line.size() + 1, 38), ' ');
        line += std::string(kindName(field.kind));
        line.resize(std::max<std::size_t>(line.size() + 1, 62), ' ');
        out << line << "default " << fallbackOf(field) << "\n";
        if (withValues)
            if (const auto found = settings().find(field.key); found != settings().end() && !found->second.values.empty())
                out << "        one of: " << found->second.values << "\n";
    }
}

// Man page text: backslashes and leading dots and dashes are escaped.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string trimmed(std::string_view description) {
    while (!description.empty() && (description.front() == '\n' || description.front() == ' '))
        description.remove_prefix(1);
    return std::string(description);
}

} // namespace

void printActionList(std::ostream& out) {
    for (const auto& type : transformerTypes()) {
        out << type.typeId << " (" << type.title << ")";
        const auto options = optionsOf(type.typeId);
        for (std::size_t i = 0; i < options.size(); ++i)
            out << (i == 0 ? ": " : ", ") << usageOf(*options[i]);
        out << "\n";
        printSettings(out, type.typeId, false);
    }
    out << "\nScopes (--scope, or \"transformScope\" in -a):";
    for (const auto& scope : scopeNames())
        out << " " << scope.name << " (" << scope.raw << ")";
    out << "\nMore on one kind: quillory-cli --describe KIND\n";
}

bool printActionDescription(std::ostream& out, std::ostream& err, std::string_view kind) {
    const auto* info = transformerTypeInfo(kind);
    if (!info) {
        // The titles are accepted too: "--describe Replace".
        for (const auto& type : transformerTypes())
            if (std::equal(type.title.begin(), type.title.end(), kind.begin(), kind.end(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                info = &type;
    }
    if (!info) {
        std::vector<std::string> names;
        for (const auto& type : transformerTypes()) {
            names.emplace_back(type.typeId);
            names.emplace_back(type.title);
        }
        err << "quillory-cli: --describe: unknown action kind '" << kind << "'";
        if (const auto hint = text::didYouMean(text::nearestNames(kind, names)); !hint.empty())
            err << "; " << hint;
        err << " (see --list-actions)\n";
        return false;
    }
    out << info->typeId << " (" << info->title << ")\n\n" << info->helpText << "\n\n";
    const auto options = optionsOf(info->typeId);
    if (!options.empty()) {
        out << "Short options:\n";
        for (const auto* option : options)
            out << "    " << usageOf(*option) << "  " << option->help << "\n";
        out << "\n";
    }
    out << "Settings (the \"properties\" of -a '{\"type\":\"" << info->typeId << "\",\"properties\":{...}}'):\n";
    printSettings(out, info->typeId, true);
    return true;
}

void printTokenList(std::ostream& out, const TokenDetailsList& catalogue) {
    for (const auto& name : TokenTemplate::names(catalogue)) {
        const auto* details = catalogue.details(name.tokenId);
        std::string line = "{" + name.alias + "}";
        if (name.alias != name.tokenId)
            line += "  {" + name.tokenId + "}";
        line.resize(std::max<std::size_t>(line.size() + 2, 48), ' ');
        out << line << (details ? trimmed(details->description) : std::string()) << "\n";
    }
    out << "\nDates take a pattern ({modified:yyyy-MM-dd}), numbers a digit count ({track:2}), positions dms or "
           "decimal; {{ and }} are braces.\n";
}

int printTokenValues(std::ostream& out, std::ostream& err, const TokenDetailsList& catalogue, const std::string& file) {
    // One Set action holding every token between separators; the preview of the file resolves them all
    // exactly as a rename would.
    constexpr std::string_view separator = "\u241E";
    const auto names = TokenTemplate::names(catalogue);
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    std::vector<TokenTemplate::Name> shown;
    for (const auto& name : names) {
        const auto* details = catalogue.details(name.tokenId);
        if (details && details->type == "regex")
            continue;
        if (!shown.empty())
            items.push_back({{"type", "string"}, {"value", separator}});
        items.push_back({{"type", "attribute"}, {"value", name.tokenId}});
        shown.push_back(name);
    }
    const nlohmann::ordered_json action = {
        {"type", "set"}, {"properties", {{"setText", {{"items", items}}}}}};
    std::ostringstream document;
    std::ostringstream problems;
    runCli({"--json", "-a", action.dump(), file}, document, problems);
    const auto json = nlohmann::ordered_json::parse(document.str(), nullptr, false);
    if (json.is_discarded() || !json.contains("files") || json["files"].empty()) {
        err << problems.str() << "quillory-cli: --list-tokens: cannot read '" << file << "'\n";
        return 2;
    }
    const std::string values = json["files"][0].value("transformedName", "");
    std::size_t start = 0;
    for (const auto& name : shown) {
        const auto end = values.find(separator, start);
        const std::string value = values.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? values.size() : end + separator.size();
        if (value.empty())
            continue;
        std::string line = "{" + name.alias + "}";
        line.resize(std::max<std::size_t>(line.size() + 2, 32), ' ');
        out << line << value << "\n";
    }
    return 0;
}

std::string manPageSections(const TokenDetailsList& catalogue) {
    std::ostringstream out;
    out << ".SH RENAME ACTIONS\n"
           "Each of these options adds one rename action to the chain, in the order given, after\n"
           "those of a recipe and together with those of\n.BR \\-a .\n"
           "Texts marked as token text may hold tokens (see\n.BR TOKENS ).\n";
    for (const auto& option : shortOptions()) {
        if (option.kind.empty())
            continue;
        out << ".TP\n" << (option.arguments.empty() ? ".B " : ".BI ") << roff(option.name);
        if (!option.arguments.empty())
            out << " \" " << roff(option.arguments) << "\"";
        out << "\n" << roff(option.help) << " (kind\n.BR " << option.kind << ").\n";
    }
    out << ".PP\nThese change the action just before them:\n";
    for (const auto& option : shortOptions()) {
        if (!option.kind.empty())
            continue;
        out << ".TP\n" << (option.arguments.empty() ? ".B " : ".BI ") << roff(option.name);
        if (!option.arguments.empty())
            out << " \" " << roff(option.arguments) << "\"";
        out << "\n" << roff(option.help) << ".\n";
    }
    out << ".SH SCOPES\n"
           ".B \\-\\-scope\n"
           "sets what the next action works on; in\n.B \\-a\n"
           "JSON the same is the value of\n.BR transformScope .\n";
    for (const auto& scope : scopeNames())
        out << ".TP\n"
            << (scope.name == scope.raw ? ".B " + std::string(scope.name)
                                        : ".BR " + std::string(scope.name) + " \" or \" " + std::string(scope.raw))
            << "\n"
            << (scope.name == "name"   ? "The name without its extension (the default)."
                : scope.name == "path" ? "The folder the item is in."
                : scope.name == "ext"  ? "The extension, without its dot."
                                       : "The whole path: folder, name and extension.")
            << "\n";
    out << ".SH ACTION SETTINGS\n"
           "The\n.B properties\nof an\n.B \\-a\nJSON action, by\n.BR type ;\n"
           "absent settings take the default shown.\n";
    for (const auto& type : transformerTypes()) {
        out << ".SS " << type.typeId << "\n";
        bool first = true;
        for (const auto& field : TransformerProperties::fields()) {
            if (field.group != type.typeId)
                continue;
            out << (first ? "" : ".br\n") << ".BR " << field.key << " \" (" << kindName(field.kind) << ", default "
                << fallbackOf(field) << ")\"\n";
            first = false;
        }
    }
    out << ".SH TOKENS\n"
           "Written in braces in token text, by alias or by id, in any case:\n"
           ".BR {DateTimeOriginal:yyyy\\-MM\\-dd} ,\n.BR {artist} .\n"
           "Dates take a pattern after a colon, numbers a digit count, positions\n.B dms\nor\n.BR decimal ;\n"
           ".B {{\nand\n.B }}\nare literal braces.\n"
           ".B quillory-cli \\-\\-list\\-tokens\n.I FILE\nshows the values for one file.\n";
    for (const auto& name : TokenTemplate::names(catalogue)) {
        const auto* details = catalogue.details(name.tokenId);
        out << ".TP\n.B {" << roff(name.alias) << "}";
        if (name.alias != name.tokenId)
            out << "\nor\n.B {" << roff(name.tokenId) << "}";
        out << "\n" << roff(details ? trimmed(details->description) : std::string()) << ".\n";
    }
    return out.str();
}

} // namespace quillory::cli
