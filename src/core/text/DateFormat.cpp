// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DateFormat.h"

#include "text/IcuSupport.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <memory>

namespace quillory {
namespace text {
namespace {

// Building a formatter parses the pattern and loads locale data; each thread keeps the last one.
icu::SimpleDateFormat *threadFormat(std::string_view pattern) {
    thread_local std::string cachedPattern;
    thread_local std::unique_ptr<icu::SimpleDateFormat> cached;
    if (cached && cachedPattern == pattern)
        return cached.get();
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::SimpleDateFormat>(detail::fromUtf8(pattern), status);
    if (U_FAILURE(status))
        return nullptr;
    format->setLenient(false);
    cached = std::move(format);
    cachedPattern = std::string(pattern);
    return cached.get();
}

Date fromUDate(UDate millis) {
    return Date(std::chrono::milliseconds(static_cast<int64_t>(std::floor(millis))));
}

struct Fields {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
    std::optional<int> offsetMinutes; // east of UTC; std::nullopt for local time
};

// A moment from calendar fields, local unless an offset is given; std::nullopt for impossible fields.
std::optional<Date> toDate(const Fields &f) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::TimeZone> zone(f.offsetMinutes ? icu::TimeZone::getGMT()->clone()
                                                        : icu::TimeZone::createDefault());
    if (!zone)
        return std::nullopt;
    icu::GregorianCalendar calendar(zone.release(), status);
    if (U_FAILURE(status))
        return std::nullopt;
    calendar.setLenient(false);
    calendar.clear();
    calendar.set(f.year, f.month - 1, f.day, f.hour, f.minute, f.second);
    calendar.set(UCAL_MILLISECOND, f.millisecond);
    UDate millis = calendar.getTime(status);
    if (U_FAILURE(status))
        return std::nullopt;
    if (f.offsetMinutes)
        millis -= static_cast<double>(*f.offsetMinutes) * 60000.0;
    return fromUDate(millis);
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    bool done() const { return pos_ == text_.size(); }
    bool peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
    bool take(char c) {
        if (!peek(c))
            return false;
        ++pos_;
        return true;
    }
    // Exactly `digits` ASCII digits.
    bool number(int digits, int &value) {
        if (text_.size() - pos_ < static_cast<std::size_t>(digits))
            return false;
        int v = 0;
        for (int i = 0; i < digits; ++i) {
            const char c = text_[pos_ + static_cast<std::size_t>(i)];
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + (c - '0');
        }
        pos_ += static_cast<std::size_t>(digits);
        value = v;
        return true;
    }
    // A fraction of a second after ".", as milliseconds (further digits are dropped).
    bool fraction(int &millis) {
        int v = 0, digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            if (digits < 3)
                v = v * 10 + (text_[pos_] - '0');
            ++digits;
            ++pos_;
        }
        if (digits == 0)
            return false;
        for (int i = digits; i < 3; ++i)
            v *= 10;
        millis = v;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string formatDate(Date date, std::string_view pattern) {
    icu::SimpleDateFormat *format = threadFormat(pattern);
    if (!format)
        return {};
    icu::UnicodeString out;
    format->format(static_cast<UDate>(date.time_since_epoch().count()), out);
    return toUtf8(detail::toStd(out));
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern) {
    icu::SimpleDateFormat *format = threadFormat(pattern);
    if (!format)
        return std::nullopt;
    const icu::UnicodeString input = detail::fromUtf8(text);
    icu::ParsePosition position(0);
    const UDate millis = format->parse(input, position);
    // The whole text must fit the pattern, not just a prefix.
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length())
        return std::nullopt;
    return fromUDate(millis);
}

std::optional<Date> parseIsoDate(std::string_view text) {
    Reader r(trimmed(text));
    Fields f;
    if (!r.number(4, f.year))
        return std::nullopt;
    if (r.take('-')) {
        if (!r.number(2, f.month))
            return std::nullopt;
        if (r.take('-')) {
            if (!r.number(2, f.day))
                return std::nullopt;
            if (r.take('T') || r.take(' ')) {
                if (!r.number(2, f.hour) || !r.take(':') || !r.number(2, f.minute))
                    return std::nullopt;
                if (r.take(':')) {
                    if (!r.number(2, f.second))
                        return std::nullopt;
                    if ((r.take('.') || r.take(',')) && !r.fraction(f.millisecond))
                        return std::nullopt;
                }
                if (r.take('Z')) {
                    f.offsetMinutes = 0;
                } else if (r.peek('+') || r.peek('-')) {
                    const int sign = r.take('+') ? 1 : (r.take('-'), -1);
                    int hours = 0, minutes = 0;
                    if (!r.number(2, hours))
                        return std::nullopt;
                    if (r.take(':')) {
                        if (!r.number(2, minutes))
                            return std::nullopt;
                    } else {
                        r.number(2, minutes); // "+0200" as well as "+02"
                    }
                    if (hours > 23 || minutes > 59)
                        return std::nullopt;
                    f.offsetMinutes = sign * (hours * 60 + minutes);
                }
            }
        }
    }
    if (!r.done())
        return std::nullopt;
    return toDate(f);
}

std::optional<Date> parseExifDate(std::string_view text) {
    Reader r(trimmed(text));
    Fields f;
    if (!r.number(4, f.year) || !r.take(':') || !r.number(2, f.month) || !r.take(':') || !r.number(2, f.day)) {
        return std::nullopt;
    }
    if (r.take(' ') || r.take('T')) {
        if (!r.number(2, f.hour) || !r.take(':') || !r.number(2, f.minute))
            return std::nullopt;
        if (r.take(':') && !r.number(2, f.second))
            return std::nullopt;
    }
    if (!r.done())
        return std::nullopt;
    return toDate(f); // "0000:00:00 00:00:00" (unset) fails here: month 0 is no month
}

} // namespace text
} // namespace quillory
