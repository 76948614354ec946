// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"
#include "Interrupt.h"

#include <iostream>

#ifdef QUILLORY_HAVE_MIMALLOC
#include <mimalloc.h>
#endif

int main(int argc, char** argv) {
#ifdef QUILLORY_HAVE_MIMALLOC
    // A run frees large blocks phase after phase. Giving their pages back to the system only to fault
    // them in again in the next phase costs more than keeping them until the program ends, soon.
#if MI_MALLOC_VERSION >= 210
    mi_option_set(mi_option_purge_delay, -1);
#else
    mi_option_disable(mi_option_allow_decommit);
#endif
#endif
    // First, before any thread starts, so that every thread leaves Ctrl-C to the watch.
    quillory::cli::InterruptWatch interrupt;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillory::cli::runCli(arguments, std::cin, std::cout, std::cerr, interrupt.token());
}
