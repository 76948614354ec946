// SPDX-License-Identifier: GPL-3.0-or-later
// The decoders of the messages between the application and its metadata workers. A message that decodes
// must encode to the same bytes it was decoded from.
#include "tokens/metadata/MetadataWireFormat.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

std::string_view payloadOf(const std::string& frame) {
    return std::string_view(frame).substr(quillory::metadata::kFrameHeaderSize);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillory::metadata;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    framePayloadLength(bytes);
    isHello(bytes);
    if (auto request = decodeRequest(bytes)) {
        if (payloadOf(encodeRequest(*request)) != bytes)
            std::abort();
    }
    if (auto report = decodeReport(bytes)) {
        // Maps keep one value per key, so a repeated key is the one way to decode and re-encode differently;
        // a second trip must then be stable.
        const std::string once = encodeReport(*report);
        auto again = decodeReport(payloadOf(once));
        if (!again || encodeReport(*again) != once)
            std::abort();
    }
    return 0;
}
