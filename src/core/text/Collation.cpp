// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Collation.h"

#include "text/IcuSupport.h"

#include <unicode/coll.h>

#include <memory>

namespace quillory::text {
namespace {

// Default locale, digit runs by value, secondary strength: case is ignored, accents are not
// ("a" == "A", "e" < "é"), so names differing only in accents keep a stable order.
const icu::Collator *prototypeCollator() {
    static const std::unique_ptr<icu::Collator> prototype = []() -> std::unique_ptr<icu::Collator> {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale::getDefault(), status));
        if (U_FAILURE(status) || !collator)
            return nullptr;
        collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        collator->setStrength(icu::Collator::SECONDARY);
        return U_SUCCESS(status) ? std::move(collator) : nullptr;
    }();
    return prototype.get();
}

// Collators are not safe to share between threads; each thread clones the prototype once.
icu::Collator *threadCollator() {
    thread_local std::unique_ptr<icu::Collator> collator = [] {
        const icu::Collator *prototype = prototypeCollator();
        return std::unique_ptr<icu::Collator>(prototype ? prototype->clone() : nullptr);
    }();
    return collator.get();
}

} // namespace

int localizedStandardCompare(std::string_view a, std::string_view b) {
    icu::Collator *collator = threadCollator();
    if (!collator)
        return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = collator->compare(detail::fromUtf8(a), detail::fromUtf8(b), status);
    if (U_FAILURE(status))
        return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
    return result == UCOL_LESS ? -1 : result == UCOL_EQUAL ? 0 : 1;
}

std::string localizedStandardSortKey(std::string_view text) {
    icu::Collator *collator = threadCollator();
    if (!collator)
        return std::string(text);
    const icu::UnicodeString s = detail::fromUtf8(text);
    std::string key(64, '\0');
    int32_t length = collator->getSortKey(s, reinterpret_cast<uint8_t *>(key.data()), static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(length));
        length = collator->getSortKey(s, reinterpret_cast<uint8_t *>(key.data()), length);
    }
    // The key ends with a zero byte that orders nothing.
    key.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
    return key;
}

} // namespace quillory::text
