// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

namespace quillory {
class Session;
}

namespace quillory::cli {

// Prints the name of one listed file after each action of the chain.
class PlanCommand {
public:
    PlanCommand(Session& session, std::ostream& out, std::ostream& err);
    // The file by its path (relative to the working folder, or absolute) or its identifier.
    int run(const std::string& pathOrId);

private:
    Session& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace quillory::cli
