// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChainProblemText.h"

namespace quillory::cli {
namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string didYouMean(const ChainProblem& problem) {
    return problem.suggestion.empty() ? std::string() : " (did you mean " + quoted(problem.suggestion) + "?)";
}

std::string oneOf(const ChainProblem& problem) {
    std::string list;
    for (const auto& value : problem.allowed)
        list += (list.empty() ? "" : ", ") + value;
    return list.empty() ? std::string() : "; one of: " + list;
}

} // namespace

std::string describeChainProblem(const ChainProblem& problem) {
    const std::string key = quoted(problem.key) + ": ";
    switch (problem.code) {
    case ChainProblem::Code::invalidPattern:
        return key + "invalid pattern " + quoted(problem.value) + " (" + problem.detail +
               (problem.offset ? " at offset " + std::to_string(*problem.offset) : std::string()) +
               "); it finds nothing";
    case ChainProblem::Code::unknownKey:
        return "unknown key " + quoted(problem.key) + ", ignored" + didYouMean(problem);
    case ChainProblem::Code::unknownValue:
        return key + "unknown value " + quoted(problem.value) + didYouMean(problem) + oneOf(problem);
    case ChainProblem::Code::unknownAttribute:
        return key + "unknown attribute " + quoted(problem.value) + didYouMean(problem);
    case ChainProblem::Code::unknownItemType:
        return key + "unknown token item type " + quoted(problem.value) + didYouMean(problem) + oneOf(problem);
    case ChainProblem::Code::unknownGroup:
        return key + quoted(problem.value) + " refers to a group the pattern does not have (it has " +
               problem.detail + ")";
    case ChainProblem::Code::notAWholeNumber:
        return key + quoted(problem.value) + " is not a whole number; the action takes " + problem.detail;
    }
    return key + "problem";
}

} // namespace quillory::cli
