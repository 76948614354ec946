// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-metadata-worker: reads image and audio metadata for Quillory, one file per request on standard
// input, answers on standard output. Started by the application, never by hand.
#include "app/Logger.h"
#include "tokens/metadata/MetadataWorker.h"

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace {

bool limitAddressSpace(std::string_view text) {
    std::uint64_t bytes = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bytes);
    if (error != std::errc() || end != text.data() + text.size() || bytes == 0)
        return false;
    if (!quillory::metadata::kAddressSpaceLimitApplies)
        return true;
    rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string_view(argv[1]) != "--memory-limit" || !limitAddressSpace(argv[2])) {
        std::fputs("usage: quillory-metadata-worker --memory-limit BYTES (started by Quillory)\n", stderr);
        return 2;
    }
    // The application logs what matters about a file; the libraries' own complaints stay here.
    quillory::Logger::setSink(quillory::LogSink::off);
    return quillory::metadata::runMetadataWorker(STDIN_FILENO, STDOUT_FILENO);
}
