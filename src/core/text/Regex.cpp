// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Regex.h"

#include "text/IcuSupport.h"
#include "text/RegexTimeoutWatch.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <algorithm>
#include <atomic>
#include <optional>

namespace quillory::text {

struct Regex::Impl {
    std::u16string source;
    // Compiled patterns are immutable and shared by copies; matchers come from the pool below.
    std::shared_ptr<const icu::RegexPattern> pattern;
    std::size_t groupCount = 0;
};

namespace {

// Making an ICU matcher allocates its backtracking stack and data, which costs more than matching a
// file name; a pass over many names reuses one matcher per pattern and thread instead.
struct PooledMatcher {
    std::shared_ptr<const icu::RegexPattern> pattern; // kept alive while its matcher is pooled
    std::unique_ptr<icu::RegexMatcher> matcher;
    bool inUse = false;
};

constexpr std::size_t kPoolSize = 32;

std::atomic<std::int32_t> timeLimitSteps{Regex::defaultTimeLimit};
thread_local std::uint64_t timeoutCount = 0;

// find() and matches() report a timeout through the status; it counts as the end of the matches.
bool succeeded(UErrorCode status) {
    if (status == U_REGEX_TIME_OUT)
        RegexTimeoutWatch::record();
    return U_SUCCESS(status);
}

std::vector<PooledMatcher> &matcherPool() {
    thread_local std::vector<PooledMatcher> pool;
    return pool;
}

// A matcher over the caller's buffer (no copy), borrowed from the pool when one is free.
class Matcher {
public:
    Matcher(const std::shared_ptr<const icu::RegexPattern> &pattern, std::u16string_view text) {
        UErrorCode status = U_ZERO_ERROR;
        text_ = utext_openUChars(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
        if (U_FAILURE(status))
            return;
        auto &pool = matcherPool();
        for (std::size_t i = 0; i < pool.size(); ++i) {
            if (pool[i].pattern == pattern && !pool[i].inUse) {
                pooled_ = i;
                pool[i].inUse = true;
                matcher_ = pool[i].matcher.get();
                break;
            }
        }
        if (!matcher_) {
            std::unique_ptr<icu::RegexMatcher> made(pattern->matcher(status));
            if (U_FAILURE(status) || !made)
                return;
            matcher_ = made.get();
            pooled_ = keep(pattern, std::move(made));
        }
        matcher_->reset(text_);
        // Let lookbehind and anchors see the text outside a search start.
        matcher_->useTransparentBounds(true);
        matcher_->setTimeLimit(timeLimitSteps.load(std::memory_order_relaxed), status);
    }
    ~Matcher() {
        if (pooled_) {
            // Points the pooled matcher away from the caller's buffer, which may go now.
            static const icu::UnicodeString empty;
            matcher_->reset(empty);
            matcherPool()[*pooled_].inUse = false;
        } else {
            delete matcher_;
        }
        utext_close(text_);
    }
    Matcher(const Matcher &) = delete;
    Matcher &operator=(const Matcher &) = delete;

    bool ok() const { return matcher_ != nullptr; }
    icu::RegexMatcher &operator*() { return *matcher_; }
    icu::RegexMatcher *operator->() { return matcher_; }

private:
    // Puts a new matcher in the pool, replacing one that is not in use when the pool is full. Returns
    // its slot, or nothing when every slot is busy (the matcher then stays with this object alone).
    static std::optional<std::size_t> keep(const std::shared_ptr<const icu::RegexPattern> &pattern,
                                           std::unique_ptr<icu::RegexMatcher> &&matcher) {
        auto &pool = matcherPool();
        std::optional<std::size_t> slot;
        if (pool.size() < kPoolSize) {
            pool.push_back({});
            slot = pool.size() - 1;
        } else {
            for (std::size_t i = 0; i < pool.size() && !slot; ++i)
                if (!pool[i].inUse)
                    slot = i;
        }
        if (!slot) {
            matcher.release(); // owned by the Matcher, deleted in its destructor
            return std::nullopt;
        }
        pool[*slot].matcher.reset();
        pool[*slot].pattern = pattern;
        pool[*slot].matcher = std::move(matcher);
        pool[*slot].inUse = true;
        return slot;
    }

    UText *text_ = nullptr;
    icu::RegexMatcher *matcher_ = nullptr;
    std::optional<std::size_t> pooled_;
};

RegexMatch currentMatch(icu::RegexMatcher &m) {
    RegexMatch match;
    const int32_t groups = m.groupCount();
    match.groups.reserve(static_cast<std::size_t>(groups) + 1);
    for (int32_t g = 0; g <= groups; ++g) {
        UErrorCode status = U_ZERO_ERROR;
        const int64_t start = m.start64(g, status);
        const int64_t end = m.end64(g, status);
        if (U_FAILURE(status) || start < 0) {
            match.groups.emplace_back(std::nullopt);
        } else {
            match.groups.emplace_back(Span{static_cast<std::size_t>(start), static_cast<std::size_t>(end)});
        }
    }
    return match;
}

uint32_t flagsOf(RegexOptions options) {
    uint32_t flags = 0;
    if (options.caseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options.multiline)
        flags |= UREGEX_MULTILINE;
    if (options.dotAll)
        flags |= UREGEX_DOTALL;
    return flags;
}

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

void appendCodePoint(std::u16string &out, char32_t c) {
    if (c >= 0x10000) {
        out.push_back(static_cast<char16_t>(U16_LEAD(c)));
        out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

std::uint64_t RegexTimeoutWatch::count() {
    return timeoutCount;
}

void RegexTimeoutWatch::record() {
    ++timeoutCount;
}

void Regex::setTimeLimit(std::int32_t steps) {
    timeLimitSteps.store(std::max<std::int32_t>(steps, 0), std::memory_order_relaxed);
}

std::int32_t Regex::timeLimit() {
    return timeLimitSteps.load(std::memory_order_relaxed);
}

Regex::Regex(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
Regex::Regex(const Regex &) = default;
Regex &Regex::operator=(const Regex &) = default;
Regex::Regex(Regex &&) noexcept = default;
Regex &Regex::operator=(Regex &&) noexcept = default;
Regex::~Regex() = default;

const std::u16string &Regex::pattern() const {
    static const std::u16string none;
    return impl_ ? impl_->source : none;
}

Result<Regex> Regex::compile(std::u16string_view pattern, RegexOptions options) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(detail::alias(pattern), flagsOf(options), parseError, status));
    if (U_FAILURE(status) || !compiled) {
        std::string message = "Invalid regular expression (" + std::string(u_errorName(status)) + ")";
        if (parseError.offset >= 0)
            message += " at offset " + std::to_string(parseError.offset);
        return Error{message};
    }
    std::unique_ptr<icu::RegexMatcher> probe(compiled->matcher(status));
    if (U_FAILURE(status) || !probe)
        return Error{"Invalid regular expression (" + std::string(u_errorName(status)) + ")"};
    auto impl = std::make_shared<Impl>();
    impl->source = std::u16string(pattern);
    impl->groupCount = static_cast<std::size_t>(probe->groupCount());
    probe.reset();
    impl->pattern = std::shared_ptr<const icu::RegexPattern>(std::move(compiled));
    return Regex(std::shared_ptr<const Impl>(std::move(impl)));
}

std::optional<RegexSyntaxError> Regex::syntaxError(std::string_view utf8Pattern, RegexOptions options) {
    const std::u16string pattern = toUtf16(utf8Pattern);
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(detail::alias(pattern), flagsOf(options), parseError, status));
    if (U_SUCCESS(status) && compiled)
        return std::nullopt;
    RegexSyntaxError error{u_errorName(status), std::nullopt};
    if (parseError.offset >= 0)
        error.offset = parseError.offset;
    return error;
}

Result<Regex> Regex::compile(std::string_view utf8Pattern, RegexOptions options) {
    return compile(std::u16string_view(toUtf16(utf8Pattern)), options);
}

std::size_t Regex::groupCount() const {
    return impl_->groupCount;
}

std::vector<RegexMatch> Regex::allMatches(std::u16string_view text) const {
    return collectMatches(text, 0, text.size(), true);
}

std::vector<RegexMatch> Regex::allMatches(std::u16string_view text, std::size_t from, std::size_t to) const {
    return collectMatches(text, from, to, false);
}

std::vector<RegexMatch> Regex::collectMatches(std::u16string_view text, std::size_t from, std::size_t to,
                                              bool includeEnd) const {
    std::vector<RegexMatch> matches;
    to = std::min(to, text.size());
    if (from > to)
        return matches;
    Matcher m(impl_->pattern, text);
    if (!m.ok())
        return matches;
    UErrorCode status = U_ZERO_ERROR;
    // find() moves one code point past an empty match, so the loop always advances.
    bool found = m->find(static_cast<int64_t>(from), status);
    std::optional<std::size_t> lastEmpty;
    while (succeeded(status) && found) {
        RegexMatch match = currentMatch(*m);
        const Span range = match.range();
        if (range.start > to || (range.start == to && !includeEnd))
            break;
        if (range.start == range.end) {
            if (lastEmpty == range.start)
                break; // never report the same empty match twice
            lastEmpty = range.start;
        }
        matches.push_back(std::move(match));
        found = m->find(status);
    }
    return matches;
}

std::optional<RegexMatch> Regex::firstMatch(std::u16string_view text, std::size_t from) const {
    if (from > text.size())
        return std::nullopt;
    Matcher m(impl_->pattern, text);
    if (!m.ok())
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const bool found = m->find(static_cast<int64_t>(from), status);
    if (!succeeded(status) || !found)
        return std::nullopt;
    return currentMatch(*m);
}

bool Regex::matchesWhole(std::u16string_view text) const {
    Matcher m(impl_->pattern, text);
    if (!m.ok())
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const bool result = m->matches(status);
    return succeeded(status) && result;
}

std::u16string Regex::expandTemplate(std::u16string_view text, const RegexMatch &match,
                                     std::u16string_view replacementTemplate) const {
    std::u16string out;
    const std::size_t groups = groupCount();
    auto appendGroup = [&](std::size_t group) {
        if (group >= match.groups.size() || !match.groups[group])
            return;
        const Span span = *match.groups[group];
        if (span.end <= text.size() && span.start <= span.end)
            out.append(text.substr(span.start, span.length()));
    };
    const std::u16string_view t = replacementTemplate;
    std::size_t i = 0;
    while (i < t.size()) {
        const char16_t c = t[i++];
        if (c == u'\\') {
            if (i >= t.size())
                break; // a trailing backslash escapes nothing and is dropped
            const char16_t next = t[i];
            const int digits = next == u'u' ? 4 : next == u'U' ? 8 : 0;
            if (digits && i + digits < t.size()) {
                char32_t value = 0;
                bool valid = true;
                for (int k = 1; k <= digits; ++k) {
                    const int h = hexValue(t[i + k]);
                    if (h < 0) {
                        valid = false;
                        break;
                    }
                    value = value * 16 + static_cast<char32_t>(h);
                }
                if (valid && value <= 0x10FFFF) {
                    appendCodePoint(out, value);
                    i += 1 + digits;
                    continue;
                }
            }
            out.push_back(next);
            ++i;
            continue;
        }
        if (c != u'$') {
            out.push_back(c);
            continue;
        }
        if (i < t.size() && isAsciiDigit(t[i])) {
            // The first digit is always read; more digits only while the number stays a group of the
            // pattern ("$10" is group 1 and "0" when there are fewer than ten groups). A group the
            // pattern does not have inserts nothing.
            std::size_t group = static_cast<std::size_t>(t[i++] - u'0');
            while (i < t.size() && isAsciiDigit(t[i]) && group * 10 + static_cast<std::size_t>(t[i] - u'0') <= groups) {
                group = group * 10 + static_cast<std::size_t>(t[i++] - u'0');
            }
            appendGroup(group);
            continue;
        }
        if (i < t.size() && t[i] == u'{') {
            const std::size_t close = t.find(u'}', i + 1);
            if (close != std::u16string_view::npos && close > i + 1) {
                const std::u16string_view name = t.substr(i + 1, close - i - 1);
                UErrorCode status = U_ZERO_ERROR;
                const int32_t group = impl_->pattern->groupNumberFromName(detail::alias(name), status);
                if (U_SUCCESS(status) && group >= 0)
                    appendGroup(static_cast<std::size_t>(group));
                i = close + 1;
                continue;
            }
        }
        out.push_back(u'$'); // a dollar sign that introduces no group stays as it is
    }
    return out;
}

std::u16string Regex::replaceAll(std::u16string_view text, std::u16string_view replacementTemplate) const {
    const std::vector<RegexMatch> matches = allMatches(text);
    if (matches.empty())
        return std::u16string(text);
    std::u16string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    for (const RegexMatch &match : matches) {
        const Span range = match.range();
        out.append(text.substr(copied, range.start - copied));
        out.append(expandTemplate(text, match, replacementTemplate));
        copied = range.end;
    }
    out.append(text.substr(copied));
    return out;
}

std::u16string escapePattern(std::u16string_view literal) {
    static constexpr std::u16string_view kSpecial = u"\\^$.|?*+()[]{}-&#/";
    std::u16string out;
    out.reserve(literal.size() * 2);
    for (char16_t c : literal) {
        if (kSpecial.find(c) != std::u16string_view::npos)
            out.push_back(u'\\');
        out.push_back(c);
    }
    return out;
}

std::u16string escapeTemplate(std::u16string_view literal) {
    std::u16string out;
    out.reserve(literal.size() + 4);
    for (char16_t c : literal) {
        if (c == u'$' || c == u'\\')
            out.push_back(u'\\');
        out.push_back(c);
    }
    return out;
}

} // namespace quillory::text
