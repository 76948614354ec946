// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/ChainProblem.h"

#include <string>

namespace quillory::cli {

// One line of English for a problem of a rename action, naming the key it concerns, for example
// "\"conversionType\": unknown value \"lowercas\" (did you mean \"lowercase\"?)".
std::string describeChainProblem(const ChainProblem& problem);

} // namespace quillory::cli
