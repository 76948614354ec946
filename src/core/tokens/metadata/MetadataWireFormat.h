// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/MetadataReport.h"
#include "tokens/metadata/MetadataRequest.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillory::metadata {

// The messages between the application and its metadata workers. Every message is a frame: a 32-bit
// big-endian payload length, then the payload, which starts with a tag byte and the format version.
// Decoders take untrusted bytes (a worker may have been corrupted by the file it read): they check every
// length against what is left, nest lists only a few levels deep and reject trailing bytes.
inline constexpr std::size_t kFrameHeaderSize = 4;
inline constexpr std::uint32_t kMaxFramePayload = 64u << 20;

// Encoders give a whole frame, header included; decoders take the payload that follows a header.

// What a worker says once it has started, before its first request: it proves that it runs and speaks
// this version of the format.
std::string encodeHello();
bool isHello(std::string_view payload);

std::string encodeRequest(const MetadataRequest& request);
std::optional<MetadataRequest> decodeRequest(std::string_view payload);

std::string encodeReport(const MetadataReport& report);
std::optional<MetadataReport> decodeReport(std::string_view payload);

// The payload length a frame header announces; nothing when it exceeds kMaxFramePayload.
std::optional<std::uint32_t> framePayloadLength(std::string_view header);

} // namespace quillory::metadata
