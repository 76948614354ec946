// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/FindOptions.h"

namespace quillory {
namespace {

FindOptions make(const std::optional<std::string> &text, const std::optional<bool> &wildcards,
                 const std::optional<bool> &regex, const std::optional<bool> &caseInsensitive,
                 const std::optional<bool> &findFirst) {
    return FindOptions{text.value_or(std::string()), wildcards.value_or(false), regex.value_or(false),
                       caseInsensitive.value_or(false), findFirst.value_or(false)};
}

} // namespace

FindOptions FindOptions::simple(const TransformerProperties &p) {
    return make(p.simpleFindText, p.simpleWildcards, std::nullopt, p.simpleCaseInsensitive, p.simpleFindFirst);
}

FindOptions FindOptions::insert(const TransformerProperties &p) {
    return make(p.insertFindText, p.insertFindWildcards, p.insertFindRegex, p.insertFindCaseInsensitive,
                p.insertFindFirst);
}

FindOptions FindOptions::prefix(const TransformerProperties &p) {
    return make(p.prefixFindText, p.prefixFindWildcards, p.prefixFindRegex, p.prefixFindCaseInsensitive,
                p.prefixFindFirst);
}

FindOptions FindOptions::suffix(const TransformerProperties &p) {
    return make(p.suffixFindText, p.suffixFindWildcards, p.suffixFindRegex, p.suffixFindCaseInsensitive,
                p.suffixFindFirst);
}

FindOptions FindOptions::set(const TransformerProperties &p) {
    return make(p.setFindText, p.setFindWildcards, p.setFindRegex, p.setFindCaseInsensitive, std::nullopt);
}

FindOptions FindOptions::numbering(const TransformerProperties &p) {
    return make(p.numberFindText, p.numberFindWildcards, p.numberFindRegex, p.numberFindCaseInsensitive,
                p.numberFindFirst);
}

FindOptions FindOptions::conversion(const TransformerProperties &p) {
    return make(p.conversionFindText, p.conversionFindWildcards, p.conversionFindRegex, p.conversionFindCaseInsensitive,
                p.conversionFindFirst);
}

FindOptions FindOptions::trim(const TransformerProperties &p) {
    return make(p.trimFindText, p.trimFindWildcards, p.trimFindRegex, p.trimFindCaseInsensitive, p.trimFindFirst);
}

} // namespace quillory
