// SPDX-License-Identifier: GPL-3.0-or-later
// The ID3v2 reader over arbitrary bytes, with and without a key filter.
#include "FuzzInputFile.h"
#include "tokens/metadata/Id3Reader.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quillory::fuzz::FuzzInputFile input(".mp3");
    const auto& path = input.write(data, size);
    const auto all = quillory::readId3(path);
    quillory::id3Entries(all);
    // The catalogue's usual ask: only the parts of the track pair and the title.
    quillory::readId3(path, [](std::string_view id) { return id == "id3/TRCK1" || id == "id3/TIT2"; });
    return 0;
}
