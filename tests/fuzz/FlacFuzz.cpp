// SPDX-License-Identifier: GPL-3.0-or-later
// The FLAC block reader and the Vorbis comment parser over arbitrary bytes.
#include "FuzzInputFile.h"
#include "tokens/metadata/FlacReader.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quillory::fuzz::FuzzInputFile input(".flac");
    quillory::readFlac(input.write(data, size));
    // The comment parser alone sees every input, not only those behind a valid block header.
    quillory::parseVorbisComments(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
