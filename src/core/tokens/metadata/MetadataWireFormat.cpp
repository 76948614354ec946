// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataWireFormat.h"

#include <bit>
#include <chrono>

namespace quillory::metadata {

namespace {

constexpr char kHelloTag = 'H';
constexpr char kRequestTag = 'Q';
constexpr char kReportTag = 'A';
constexpr char kVersion = 1;
constexpr int kMaxListDepth = 8;

enum class ValueKind : std::uint8_t { empty = 0, text = 1, integer = 2, real = 3, date = 4, list = 5 };

class Writer {
public:
    explicit Writer(char tag) : bytes_(kFrameHeaderSize, '\0') {
        bytes_.push_back(tag);
        bytes_.push_back(kVersion);
    }

    void byte(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void u32(std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            byte(static_cast<std::uint8_t>(value >> shift));
    }
    void u64(std::uint64_t value) {
        for (int shift = 56; shift >= 0; shift -= 8)
            byte(static_cast<std::uint8_t>(value >> shift));
    }
    void text(std::string_view value) {
        u32(static_cast<std::uint32_t>(value.size()));
        bytes_.append(value);
    }
    void value(const AttributeValue& value) {
        if (const auto* text = value.text()) {
            byte(std::uint8_t(ValueKind::text));
            this->text(*text);
        } else if (const auto* integer = value.integer()) {
            byte(std::uint8_t(ValueKind::integer));
            u64(static_cast<std::uint64_t>(*integer));
        } else if (const auto* real = value.real()) {
            byte(std::uint8_t(ValueKind::real));
            u64(std::bit_cast<std::uint64_t>(*real));
        } else if (const auto* date = value.date()) {
            byte(std::uint8_t(ValueKind::date));
            u64(static_cast<std::uint64_t>(date->time_since_epoch().count()));
        } else if (const auto* list = value.list()) {
            byte(std::uint8_t(ValueKind::list));
            u32(static_cast<std::uint32_t>(list->size()));
            for (const auto& element : *list)
                this->value(element);
        } else {
            byte(std::uint8_t(ValueKind::empty));
        }
    }
    void entries(const std::vector<MetadataEntry>& entries) {
        u32(static_cast<std::uint32_t>(entries.size()));
        for (const auto& entry : entries) {
            text(entry.id);
            value(entry.value);
        }
    }
    void dictionary(const ImageProperties::Dictionary& dictionary) {
        u32(static_cast<std::uint32_t>(dictionary.size()));
        for (const auto& [key, value] : dictionary) {
            text(key);
            this->value(value);
        }
    }

    // The frame: the payload behind its length.
    std::string finish() {
        const auto length = static_cast<std::uint32_t>(bytes_.size() - kFrameHeaderSize);
        for (std::size_t i = 0; i < kFrameHeaderSize; ++i)
            bytes_[i] = static_cast<char>(length >> (24 - 8 * i));
        return std::move(bytes_);
    }

private:
    std::string bytes_;
};

// Reads from untrusted bytes: every read fails once one has failed, so a decoder checks once at the end.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    bool atEnd() const { return offset_ == bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - offset_; }

    std::uint8_t byte() {
        if (!ok_ || remaining() < 1)
            return fail(), 0;
        return static_cast<std::uint8_t>(bytes_[offset_++]);
    }
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | byte();
        return value;
    }
    std::uint64_t u64() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = (value << 8) | byte();
        return value;
    }
    std::string text() {
        const std::uint32_t length = u32();
        if (!ok_ || length > remaining())
            return fail(), std::string();
        std::string value(bytes_.substr(offset_, length));
        offset_ += length;
        return value;
    }
    // A count of items each at least `minimumSize` bytes long, checked against what is left so that a
    // forged count cannot make us reserve memory the message does not hold.
    std::uint32_t count(std::size_t minimumSize) {
        const std::uint32_t value = u32();
        if (ok_ && value > remaining() / minimumSize)
            fail();
        return ok_ ? value : 0;
    }
    AttributeValue value(int depth = 0) {
        switch (static_cast<ValueKind>(byte())) {
        case ValueKind::empty: return {};
        case ValueKind::text: return AttributeValue(text());
        case ValueKind::integer: return AttributeValue(static_cast<std::int64_t>(u64()));
        case ValueKind::real: return AttributeValue(std::bit_cast<double>(u64()));
        case ValueKind::date: return AttributeValue(Date(std::chrono::milliseconds(static_cast<std::int64_t>(u64()))));
        case ValueKind::list: {
            if (depth >= kMaxListDepth)
                return fail(), AttributeValue();
            AttributeValue::List list;
            const std::uint32_t size = count(1);
            list.reserve(size);
            for (std::uint32_t i = 0; ok_ && i < size; ++i)
                list.push_back(value(depth + 1));
            return AttributeValue(std::move(list));
        }
        }
        return fail(), AttributeValue();
    }
    std::vector<MetadataEntry> entries() {
        std::vector<MetadataEntry> entries;
        const std::uint32_t size = count(5);
        entries.reserve(size);
        for (std::uint32_t i = 0; ok_ && i < size; ++i) {
            std::string id = text();
            entries.push_back({std::move(id), value()});
        }
        return entries;
    }
    ImageProperties::Dictionary dictionary() {
        ImageProperties::Dictionary dictionary;
        const std::uint32_t size = count(5);
        for (std::uint32_t i = 0; ok_ && i < size; ++i) {
            std::string key = text();
            dictionary.insert_or_assign(std::move(key), value());
        }
        return dictionary;
    }
    bool header(char tag) { return byte() == static_cast<std::uint8_t>(tag) && byte() == kVersion; }

private:
    void fail() { ok_ = false; }

    std::string_view bytes_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

} // namespace

std::string encodeHello() { return Writer(kHelloTag).finish(); }

bool isHello(std::string_view payload) {
    Reader in(payload);
    return in.header(kHelloTag) && in.ok() && in.atEnd();
}

std::string encodeRequest(const MetadataRequest& request) {
    Writer out(kRequestTag);
    out.text(request.path);
    out.byte(static_cast<std::uint8_t>((request.image ? 1 : 0) | (request.audio ? 2 : 0)));
    out.u32(request.timeLimitMs);
    out.u32(static_cast<std::uint32_t>(request.id3Keys.size()));
    for (const auto& key : request.id3Keys)
        out.text(key);
    return out.finish();
}

std::optional<MetadataRequest> decodeRequest(std::string_view payload) {
    Reader in(payload);
    if (!in.header(kRequestTag))
        return std::nullopt;
    MetadataRequest request;
    request.path = in.text();
    const std::uint8_t flags = in.byte();
    request.image = (flags & 1) != 0;
    request.audio = (flags & 2) != 0;
    request.timeLimitMs = in.u32();
    const std::uint32_t keys = in.count(4);
    request.id3Keys.reserve(keys);
    for (std::uint32_t i = 0; in.ok() && i < keys; ++i)
        request.id3Keys.push_back(in.text());
    if (!in.ok() || !in.atEnd() || flags > 3 || request.path.find('\0') != std::string::npos)
        return std::nullopt;
    return request;
}

std::string encodeReport(const MetadataReport& report) {
    Writer out(kReportTag);
    out.byte(report.image ? 1 : 0);
    if (report.image) {
        out.dictionary(report.image->topLevel());
        out.u32(static_cast<std::uint32_t>(report.image->dictionaries().size()));
        for (const auto& [name, dictionary] : report.image->dictionaries()) {
            out.text(name);
            out.dictionary(dictionary);
        }
    }
    out.entries(report.media);
    out.u32(static_cast<std::uint32_t>(report.id3.size()));
    for (const auto& item : report.id3) {
        out.text(item.id);
        out.text(item.value);
    }
    out.entries(report.flac);
    return out.finish();
}

std::optional<MetadataReport> decodeReport(std::string_view payload) {
    Reader in(payload);
    if (!in.header(kReportTag))
        return std::nullopt;
    MetadataReport report;
    const std::uint8_t hasImage = in.byte();
    if (hasImage > 1)
        return std::nullopt;
    if (hasImage) {
        ImageProperties image;
        for (auto& [key, value] : in.dictionary())
            image.set(key, std::move(value));
        const std::uint32_t dictionaries = in.count(8);
        for (std::uint32_t i = 0; in.ok() && i < dictionaries; ++i) {
            std::string name = in.text();
            for (auto& [key, value] : in.dictionary())
                image.set(name, key, std::move(value));
        }
        report.image = std::move(image);
    }
    report.media = in.entries();
    const std::uint32_t items = in.count(8);
    report.id3.reserve(items);
    for (std::uint32_t i = 0; in.ok() && i < items; ++i) {
        std::string id = in.text();
        report.id3.push_back({std::move(id), in.text()});
    }
    report.flac = in.entries();
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return report;
}

std::optional<std::uint32_t> framePayloadLength(std::string_view header) {
    if (header.size() < kFrameHeaderSize)
        return std::nullopt;
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < kFrameHeaderSize; ++i)
        length = (length << 8) | static_cast<std::uint8_t>(header[i]);
    if (length > kMaxFramePayload)
        return std::nullopt;
    return length;
}

} // namespace quillory::metadata
