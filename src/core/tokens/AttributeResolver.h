// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/AttributeLoader.h"
#include "tokens/TokenResolver.h"

#include <functional>
#include <memory>
#include <string>

namespace quillory {

class GPSAddressResolver;

// Renders attribute tokens for a file. Full mode loads a missing attribute map on demand and may wait
// for a GPS address; quick mode never waits: a map that is not loaded, or an address that is not
// cached, gives TransformError::lateUpdateRequired. Safe to call from several threads at once. A stop
// request ends a wait for an address.
class AttributeResolver final : public TokenResolver {
public:
    enum class Mode { full, quick };
    using Loader = AttributeLoader;

    // Without a GPS resolver the ten address tokens give the empty text in both modes.
    AttributeResolver(Mode mode, Loader loader, std::shared_ptr<GPSAddressResolver> gps = nullptr);

    TransformResult<std::string> rawText(const TokenItem& item, File& file, std::stop_token stop) override;

    Mode mode() const { return mode_; }

    // The text of an attribute value for an item, by the value's kind: numbers with numberDigits (the
    // two GPS coordinates with gpsFormat), dates with dateFormat, texts by the text rules, lists
    // joined with ",". `attributes` gives the reference letter of a coordinate.
    static std::string printValue(const TokenItem& item, const AttributeValue& value, const AttributeMap& attributes);
    // The text rules alone: image date texts reformatted, track and disc numbers padded ("03-12").
    static std::string printText(const TokenItem& item, const std::string& text);
    // printf's "%0<digits>d" of the number.
    static std::string formatNumber(long long number, int digits);

private:
    TransformResult<std::string> computedText(const TokenItem& item, File& file, std::stop_token stop);

    Mode mode_;
    Loader loader_;
    std::shared_ptr<GPSAddressResolver> gps_;
};

} // namespace quillory
