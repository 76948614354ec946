// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"
#include "Interrupt.h"

#include <iostream>

#ifdef QUILLORY_HAVE_MIMALLOC
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <mimalloc.h>
#include <sys/mman.h>
#include <sys/resource.h>

namespace {

// A run over many files fills tens of megabytes with small records, and each first touch of a 4 KiB page
// costs a page fault: 15,000 of them in a 50,000-file rename, several microseconds each on a virtual
// machine. In 2 MiB pages the same run takes a few hundred. Where the system leaves huge pages to the
// programs that ask (the usual setting), the heap asks.
void askForHugePages() {
    // A 32-bit program has no address space to spare.
    if constexpr (sizeof(void*) < 8)
        return;
    // Under strict overcommit even unused address space is charged in full.
    if (std::FILE* mode = std::fopen("/proc/sys/vm/overcommit_memory", "r")) {
        const bool strict = std::fgetc(mode) == '2';
        std::fclose(mode);
        if (strict)
            return;
    }
    // mimalloc (2.x, 64-bit) takes its memory in segments of 32 MiB, each aligned to its size; the area
    // is aligned to more, in case a build makes larger ones.
    constexpr std::uintptr_t segment = std::uintptr_t{32} << 20;
    constexpr std::uintptr_t alignment = 2 * segment;
    // Address space only: nothing is touched until used, and past it mimalloc maps as before. Under a
    // limit on address space it takes at most a quarter, so that the rest still fits.
    std::size_t arenaSize = std::size_t{1} << 30;
    if (rlimit limit{}; ::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        arenaSize = std::min<std::size_t>(arenaSize, (limit.rlim_cur / 4) & ~(alignment - 1));
    if (arenaSize < alignment)
        return;
    void* mapped = ::mmap(nullptr, arenaSize + alignment, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped != MAP_FAILED) {
        const auto first = reinterpret_cast<std::uintptr_t>(mapped);
        const auto start = (first + alignment - 1) & ~(alignment - 1);
        // The alignment's slack goes back at once.
        if (start > first)
            ::munmap(mapped, start - first);
        if (const auto tail = first + arenaSize + alignment - (start + arenaSize); tail > 0)
            ::munmap(reinterpret_cast<void*>(start + arenaSize), tail);
        void* arena = reinterpret_cast<void*>(start);
        ::madvise(arena, arenaSize, MADV_HUGEPAGE);
        // Fresh anonymous memory: readable, writable and zeroed.
        if (!mi_manage_os_memory(arena, arenaSize, true, false, true, -1))
            ::munmap(arena, arenaSize);
    }
    // The segment the start-up already allocates from is used up before any arena: it asks too.
    void* probe = mi_malloc(1);
    ::madvise(reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(probe) & ~(segment - 1)), segment,
              MADV_HUGEPAGE);
    mi_free(probe);
}

} // namespace
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
    askForHugePages();
#endif
    // First, before any thread starts, so that every thread leaves Ctrl-C to the watch.
    quillory::cli::InterruptWatch interrupt;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillory::cli::runCli(arguments, std::cin, std::cout, std::cerr, interrupt.token());
}
