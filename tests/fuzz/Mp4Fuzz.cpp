// SPDX-License-Identifier: GPL-3.0-or-later
// The media reader's MP4 items (iTunes atoms) over arbitrary bytes.
#include "FuzzInputFile.h"
#include "app/Logger.h"
#include "tokens/metadata/MediaReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quillory::fuzz::FuzzInputFile input(".m4a");
    static const bool quiet = (quillory::Logger::setSink(quillory::LogSink::off), true);
    (void)quiet;
    quillory::readMediaMetadata(input.write(data, size));
    return 0;
}
