// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/AttributeValue.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// The properties of the first image of a file, shaped like the desktop platforms' image property
// dictionary: top-level values ("PixelWidth", "Orientation", "DPIWidth") and named dictionaries
// ("{Exif}", "{TIFF}", "{GPS}", "{IPTC}") of values. Numbers are numbers, EXIF dates are their text.
class ImageProperties {
public:
    using Dictionary = std::map<std::string, AttributeValue, std::less<>>;

    void set(std::string key, AttributeValue value);
    void set(std::string dictionary, std::string subKey, AttributeValue value);
    // Appends to a list value, creating it when absent (repeated IPTC fields such as keywords).
    void append(std::string dictionary, std::string subKey, AttributeValue value);

    // The value under key, or under subKey inside the dictionary named key; nullptr when absent.
    const AttributeValue* value(std::string_view key, std::optional<std::string_view> subKey = std::nullopt) const;
    const Dictionary* dictionary(std::string_view key) const;

    const Dictionary& topLevel() const { return topLevel_; }
    const std::map<std::string, Dictionary, std::less<>>& dictionaries() const { return dictionaries_; }
    bool isEmpty() const { return topLevel_.empty() && dictionaries_.empty(); }

    bool operator==(const ImageProperties&) const = default;

private:
    Dictionary topLevel_;
    std::map<std::string, Dictionary, std::less<>> dictionaries_;
};

} // namespace quillory
