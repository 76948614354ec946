// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillory::cli::runCli(arguments, std::cout, std::cerr);
}
