// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"
#include "TestPaths.h"
#include "tokens/metadata/MetadataEntry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillory::test {

// Tests never read the shared corpus in place: each works on its own copy.
inline std::filesystem::path copyCorpusFile(const TempDir& dir, const std::string& name,
                                            const std::string& as = {}) {
    std::filesystem::path target = dir.path() / (as.empty() ? name : as);
    std::filesystem::copy_file(std::filesystem::path(kCorpusDir) / name, target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

inline std::string bigEndian32(std::uint32_t value) {
    return {char(value >> 24), char((value >> 16) & 0xFF), char((value >> 8) & 0xFF), char(value & 0xFF)};
}

inline std::string littleEndian32(std::uint32_t value) {
    return {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF), char(value >> 24)};
}

inline std::string synchsafe32(std::uint32_t value) {
    return {char((value >> 21) & 0x7F), char((value >> 14) & 0x7F), char((value >> 7) & 0x7F), char(value & 0x7F)};
}

inline const AttributeValue* findEntry(const std::vector<MetadataEntry>& entries, const std::string& id) {
    for (const auto& entry : entries)
        if (entry.id == id)
            return &entry.value;
    return nullptr;
}

inline std::optional<std::string> entryText(const std::vector<MetadataEntry>& entries, const std::string& id) {
    const AttributeValue* value = findEntry(entries, id);
    if (!value || !value->text())
        return std::nullopt;
    return *value->text();
}

} // namespace quillory::test
