// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Collation.h"

#include "text/IcuSupport.h"

#include <unicode/coleitr.h>
#include <unicode/tblcoll.h>
#include <unicode/uniset.h>
#include <unicode/usetiter.h>

#include <algorithm>
#include <vector>

namespace quillory::text {
namespace {

// Digit runs by value, secondary strength: case is ignored, accents are not ("a" == "A",
// "e" < "é"), so names differing only in accents keep a stable order.
std::unique_ptr<icu::Collator> makeCollator(const std::string& locale) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale where = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(where, status));
    if (U_FAILURE(status) || !collator)
        return nullptr;
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    collator->setStrength(icu::Collator::SECONDARY);
    return U_SUCCESS(status) ? std::move(collator) : nullptr;
}

int byteCompare(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int icuCompare(icu::Collator& collator, std::string_view a, std::string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = collator.compare(detail::fromUtf8(a), detail::fromUtf8(b), status);
    if (U_FAILURE(status))
        return byteCompare(a, b);
    return result == UCOL_LESS ? -1 : result == UCOL_EQUAL ? 0 : 1;
}

std::string icuSortKey(const icu::Collator& collator, std::string_view text) {
    const icu::UnicodeString s = detail::fromUtf8(text);
    std::string key(64, '\0');
    int32_t length = collator.getSortKey(s, reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(length));
        length = collator.getSortKey(s, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    // The key ends with a zero byte that orders nothing.
    key.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
    return key;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// ICU reads at most this many digits as one number.
constexpr std::size_t longestNumber = 254;

bool isAscii(const icu::UnicodeString& text) {
    for (int32_t i = 0; i < text.length(); ++i)
        if (text.charAt(i) >= 0x80)
            return false;
    return true;
}

// Where each ASCII character is at most one collation element with the common secondary weight, and
// no contraction or context is made only of ASCII, ICU orders an ASCII name by its characters' primary
// weights one after the other, so a rank per character says the same. The root collation is so (the
// tests check it); a tailoring can change only what its tailored set holds, so only those characters
// are looked at element by element. The old element API shows a long primary as two elements, the
// second a continuation.
bool asciiIsOneElementEach(const icu::Collator& collator) {
    const auto* rules = dynamic_cast<const icu::RuleBasedCollator*>(&collator);
    if (!rules)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::UnicodeSet> tailored(collator.getTailoredSet(status));
    if (!tailored || U_FAILURE(status))
        return false;
    for (icu::UnicodeSetIterator it(*tailored); it.next();)
        if (it.isString() && isAscii(it.getString()))
            return false;
    constexpr int32_t continuation = 0xC0;
    constexpr int32_t commonSecondary = 0x05;
    for (UChar32 c = 1; c < 0x80; ++c) {
        if (!tailored->contains(c))
            continue;
        const std::unique_ptr<icu::CollationElementIterator> elements(
            rules->createCollationElementIterator(icu::UnicodeString(c)));
        int count = 0;
        for (int32_t element = elements->next(status);
             U_SUCCESS(status) && element != icu::CollationElementIterator::NULLORDER;
             element = elements->next(status)) {
            if ((element & continuation) == continuation || element == 0)
                continue;
            const bool hasPrimary = icu::CollationElementIterator::primaryOrder(element) != 0;
            if (++count > 1 ||
                (hasPrimary && icu::CollationElementIterator::secondaryOrder(element) != commonSecondary))
                return false;
        }
        if (U_FAILURE(status))
            return false;
    }
    return true;
}

// Names that probe every ASCII character alone, between letters and beside numbers, and numbers
// with leading zeros, of different lengths and next to separators.
std::vector<std::string> checkBank() {
    std::vector<std::string> bank{"",     "0",    "00",    "000",   "1",     "01",    "001",  "9",     "09",   "10",
                                  "010",  "99",   "100",   "0100",  "1a",    "1.5",   "1 5",  "1-5",   "x1y",  "x01y",
                                  "x10y", "x2y",  "x2",    "x02",   "x2.1",  "x2.01", "x2a",  "x2A",   "xa2",  "a",
                                  "A",    "aa",   "aA",    "Aa",    "ab",    "aB",    "Ab",   "b",     "B",    "z",
                                  "Z",    "zz",   "_a",    "a_",    "-a",    "a-",    ".a",   "a.",    " a",   "a ",
                                  "a1",   "a01",  "a001",  "a1b",   "a01b",  "a10",   "a9z",  "a10a",  "IMG_0001.JPG",
                                  "img_1.jpg", "IMG_0010.jpg", "file 2.txt", "file 10.txt", "file10.txt", "file2.txt"};
    for (int c = 1; c < 0x80; ++c) {
        const std::string ch(1, static_cast<char>(c));
        bank.push_back(ch);
        bank.push_back("a" + ch + "b");
        bank.push_back(ch + "1");
        bank.push_back("1" + ch + "2");
    }
    return bank;
}

} // namespace

struct StandardCollator::Impl {
    std::unique_ptr<icu::Collator> collator;
};

StandardCollator::StandardCollator(const std::string& locale) {
    if (auto collator = makeCollator(locale))
        impl_ = std::make_unique<Impl>(Impl{std::move(collator)});
}
StandardCollator::~StandardCollator() = default;
StandardCollator::StandardCollator(StandardCollator&&) noexcept = default;
StandardCollator& StandardCollator::operator=(StandardCollator&&) noexcept = default;

int StandardCollator::compare(std::string_view a, std::string_view b) const {
    return impl_ ? icuCompare(*impl_->collator, a, b) : byteCompare(a, b);
}

std::string StandardCollator::sortKey(std::string_view text) const {
    return impl_ ? icuSortKey(*impl_->collator, text) : std::string(text);
}

std::optional<AsciiCollation> AsciiCollation::of(const StandardCollator& standard) {
    if (!standard.valid() || !asciiIsOneElementEach(*standard.impl_->collator))
        return std::nullopt;
    // Each character's rank among the keys ICU gives the characters alone; an ignored one has the
    // empty name's key.
    const std::string emptyKey = standard.sortKey("");
    std::vector<std::pair<std::string, int>> keys;
    for (int c = 1; c < 0x80; ++c)
        keys.emplace_back(standard.sortKey(std::string(1, static_cast<char>(c))), c);
    std::sort(keys.begin(), keys.end());
    AsciiCollation order;
    int rank = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].first == emptyKey)
            continue;
        if (i == 0 || keys[i].first != keys[i - 1].first)
            ++rank;
        order.rank_[static_cast<std::size_t>(keys[i].second)] = static_cast<std::uint8_t>(rank);
    }
    // Numbers sort where the digits do; nothing else may sort among them.
    const std::uint8_t numberRank = order.rank_['0'];
    for (int c = 1; c < 0x80; ++c) {
        const std::uint8_t own = order.rank_[static_cast<std::size_t>(c)];
        if (!isDigit(static_cast<char>(c)) && own >= numberRank && own <= order.rank_['9'])
            return std::nullopt;
    }
    for (char digit = '0'; digit <= '9'; ++digit)
        order.rank_[static_cast<std::size_t>(digit)] = numberRank;

    std::vector<std::pair<std::string, std::string>> bank;
    for (std::string& name : checkBank())
        bank.emplace_back(standard.sortKey(name), std::move(name));
    std::sort(bank.begin(), bank.end());
    for (std::size_t i = 1; i < bank.size(); ++i) {
        const bool equal = bank[i - 1].first == bank[i].first;
        const std::string before = order.key(bank[i - 1].second);
        const std::string after = order.key(bank[i].second);
        if (equal ? before != after : before >= after)
            return std::nullopt;
    }
    return order;
}

bool AsciiCollation::covers(std::string_view text) {
    std::size_t run = 0;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0')
            return false;
        run = isDigit(c) ? run + 1 : 0;
        if (run > longestNumber)
            return false;
    }
    return true;
}

std::string AsciiCollation::key(std::string_view text) const {
    std::string key;
    keyInto(text, key);
    return key;
}

void AsciiCollation::keyInto(std::string_view text, std::string& key) const {
    // A rank byte a character; a number is the rank of numbers, its count of digits without leading
    // zeros (one zero stays) and those digits, so that a longer number sorts later. Ranks of other
    // characters never equal the rank of numbers, so two keys agree on where their numbers start.
    key.clear();
    key.reserve(text.size() + 2);
    const std::uint8_t numberRank = rank_['0'];
    for (std::size_t i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            if (const std::uint8_t rank = rank_[static_cast<unsigned char>(text[i])])
                key.push_back(static_cast<char>(rank));
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        while (i + 1 < end && text[i] == '0')
            ++i;
        key.push_back(static_cast<char>(numberRank));
        key.push_back(static_cast<char>(end - i));
        key.append(text.substr(i, end - i));
        i = end;
    }
}

const AsciiCollation* defaultAsciiCollation() {
    static const std::optional<AsciiCollation> order = AsciiCollation::of(StandardCollator(""));
    return order ? &*order : nullptr;
}

namespace {
// Collators are not safe to share between threads; each thread makes its own once.
const StandardCollator& threadCollator() {
    thread_local const StandardCollator collator("");
    return collator;
}
} // namespace

int localizedStandardCompare(std::string_view a, std::string_view b) { return threadCollator().compare(a, b); }

std::string localizedStandardSortKey(std::string_view text) { return threadCollator().sortKey(text); }

} // namespace quillory::text
