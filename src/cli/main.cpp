// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"quillory-cli: batch renaming of files and folders"};
    app.set_version_flag("--version", std::string("quillory-cli ") + quillory::kVersion);
    CLI11_PARSE(app, argc, argv);
    std::cout << app.help();
    return 0;
}
