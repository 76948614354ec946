// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"

#include "Version.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace quillory::cli {

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{"quillory-cli: batch renaming of files and folders"};
    app.set_version_flag("--version", std::string("quillory-cli ") + kVersion);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "quillory-cli: " << e.what() << "\n";
        return 2;
    }
    out << app.help();
    return 0;
}

} // namespace quillory::cli
