// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/ImageProperties.h"

namespace quillory {

void ImageProperties::set(std::string key, AttributeValue value) { topLevel_[std::move(key)] = std::move(value); }

void ImageProperties::set(std::string dictionary, std::string subKey, AttributeValue value) {
    dictionaries_[std::move(dictionary)][std::move(subKey)] = std::move(value);
}

void ImageProperties::append(std::string dictionary, std::string subKey, AttributeValue value) {
    AttributeValue& slot = dictionaries_[std::move(dictionary)][std::move(subKey)];
    if (!slot.list())
        slot = AttributeValue(AttributeValue::List{});
    std::get<AttributeValue::List>(slot.data).push_back(std::move(value));
}

const AttributeValue* ImageProperties::value(std::string_view key, std::optional<std::string_view> subKey) const {
    if (!subKey) {
        auto it = topLevel_.find(key);
        return it == topLevel_.end() ? nullptr : &it->second;
    }
    const Dictionary* inner = dictionary(key);
    if (!inner)
        return nullptr;
    auto it = inner->find(*subKey);
    return it == inner->end() ? nullptr : &it->second;
}

const ImageProperties::Dictionary* ImageProperties::dictionary(std::string_view key) const {
    auto it = dictionaries_.find(key);
    return it == dictionaries_.end() ? nullptr : &it->second;
}

} // namespace quillory
