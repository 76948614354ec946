// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FileSorter.h"

#include "app/Logger.h"
#include "text/Collation.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <sys/stat.h>

namespace quillory {
namespace {

struct SortCancelled {};

enum class Kind { text, textPair, number, date };

Kind kindOf(FileSortOrder order) {
    switch (order) {
    case FileSortOrder::defaultSort:
        return Kind::textPair;
    case FileSortOrder::byDateModifiedAscending:
    case FileSortOrder::byDateModifiedDescending:
        return Kind::date;
    case FileSortOrder::byNumericNameAscending:
    case FileSortOrder::byNumericNameDescending:
    case FileSortOrder::byNumericTransformedNameAscending:
    case FileSortOrder::byNumericTransformedNameDescending:
        return Kind::number;
    default:
        return Kind::text;
    }
}

// The file's modification time from the file system, for files whose attributes are not loaded yet.
std::optional<Date> modificationDate(const std::string& path, bool isAlias) {
    struct stat info {};
    int result = isAlias ? ::lstat(path.c_str(), &info) : ::stat(path.c_str(), &info);
    if (result != 0)
        return std::nullopt;
    auto since = std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    return Date(std::chrono::duration_cast<std::chrono::milliseconds>(since));
}

} // namespace

std::int64_t FileSorter::numericValue(std::string_view name) {
    std::int64_t value = 0;
    bool any = false;
    for (char c : name) {
        if (c < '0' || c > '9')
            continue;
        any = true;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return any ? value : 0;
}

FileSorter::Entry FileSorter::entryFor(int storageIndex, const FileSource& source, const FileTransform& transform,
                                       const FileAttributes& attributes, FileSortOrder order) {
    Entry entry;
    entry.storageIndex = storageIndex;
    switch (order) {
    case FileSortOrder::none:
        break;
    case FileSortOrder::defaultSort:
        entry.primary = source.path;
        entry.secondary = source.name;
        break;
    case FileSortOrder::byNameAscending:
    case FileSortOrder::byNameDescending:
    case FileSortOrder::byNumericNameAscending:
    case FileSortOrder::byNumericNameDescending:
        entry.primary = source.name;
        break;
    case FileSortOrder::byTransformedNameAscending:
    case FileSortOrder::byTransformedNameDescending:
    case FileSortOrder::byNumericTransformedNameAscending:
    case FileSortOrder::byNumericTransformedNameDescending:
        entry.primary = transform.transformedName;
        break;
    case FileSortOrder::byPathAscending:
    case FileSortOrder::byPathDescending:
        entry.primary = source.path;
        break;
    case FileSortOrder::byTransformedPathAscending:
    case FileSortOrder::byTransformedPathDescending:
        entry.primary = transform.transformedPath;
        break;
    case FileSortOrder::byDateModifiedAscending:
    case FileSortOrder::byDateModifiedDescending: {
        auto found = attributes.attributes.find("date-modified");
        if (attributes.isLoaded() && found != attributes.attributes.end() && found->second.attributeValue.date())
            entry.date = *found->second.attributeValue.date();
        else
            entry.primary = source.fullPath();
        entry.isAlias = source.isAlias;
        break;
    }
    }
    return entry;
}

std::optional<std::vector<int>> FileSorter::sort(std::vector<Entry> entries, FileSortOrder order,
                                                 std::stop_token stopToken) {
    const Kind kind = kindOf(order);
    const bool descending = isDescending(order);
    std::vector<std::int64_t> numbers;
    auto aborted = [&]() -> std::optional<std::vector<int>> {
        Logger::log("🔷 ", sortFunctionName(order), " aborted");
        return std::nullopt;
    };

    // Keys once per file, so that the comparisons are plain byte or number comparisons. A large list
    // of ASCII texts gets keys of its own without ICU.
    const text::AsciiCollation* ascii = nullptr;
    if ((kind == Kind::text || kind == Kind::textPair) && entries.size() >= text::AsciiCollation::worthMakingFrom &&
        std::all_of(entries.begin(), entries.end(), [](const Entry& entry) {
            return text::AsciiCollation::covers(entry.primary) && text::AsciiCollation::covers(entry.secondary);
        }))
        ascii = text::defaultAsciiCollation();
    const auto keyOf = [ascii](const std::string& text) {
        return ascii ? ascii->key(text) : text::localizedStandardSortKey(text);
    };
    for (auto& entry : entries) {
        if (stopToken.stop_requested())
            return aborted();
        switch (kind) {
        case Kind::text:
            entry.primary = keyOf(entry.primary);
            break;
        case Kind::textPair:
            entry.primary = keyOf(entry.primary);
            entry.secondary = keyOf(entry.secondary);
            break;
        case Kind::number:
            numbers.push_back(numericValue(entry.primary));
            break;
        case Kind::date:
            if (!entry.date)
                entry.date = modificationDate(entry.primary, entry.isAlias);
            break;
        }
    }

    // Files without a date count as the oldest.
    auto dateOf = [&](std::uint32_t i) { return entries[i].date.value_or(Date::min()); };
    auto less = [&](std::uint32_t a, std::uint32_t b) -> bool {
        switch (kind) {
        case Kind::text:
            return entries[a].primary < entries[b].primary;
        case Kind::textPair:
            if (entries[a].primary != entries[b].primary)
                return entries[a].primary < entries[b].primary;
            return entries[a].secondary < entries[b].secondary;
        case Kind::number:
            return numbers[a] < numbers[b];
        case Kind::date:
            return dateOf(a) < dateOf(b);
        }
        return false;
    };

    std::vector<std::uint32_t> positions(entries.size());
    std::iota(positions.begin(), positions.end(), 0u);
    try {
        std::stable_sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (stopToken.stop_requested())
                throw SortCancelled{};
            return descending ? less(b, a) : less(a, b);
        });
    } catch (const SortCancelled&) {
        return aborted();
    }

    std::vector<int> result;
    result.reserve(positions.size());
    for (auto position : positions)
        result.push_back(entries[position].storageIndex);
    return result;
}

} // namespace quillory
