// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/NearestNames.h"

#include <algorithm>
#include <cctype>

namespace quillory::text {
namespace {

std::string folded(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::vector<std::string> nearestNames(std::string_view wanted, const std::vector<std::string>& candidates,
                                      std::size_t limit) {
    const std::string query = folded(wanted);
    if (query.empty())
        return {};
    // A third of the length, at least two edits: "artst" finds "artist", "x" finds nothing far away.
    const std::size_t allowed = std::max<std::size_t>(2, query.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> scored;
    for (const auto& candidate : candidates) {
        const std::string name = folded(candidate);
        std::size_t distance = editDistance(query, name);
        // A name that contains what was typed is a good guess even when it is much longer.
        if (query.size() >= 3 && name.find(query) != std::string::npos)
            distance = std::min<std::size_t>(distance, 1);
        if (distance <= allowed)
            scored.emplace_back(distance, candidate);
    }
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (const auto& [distance, name] : scored) {
        if (names.size() == limit)
            break;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

std::string didYouMean(const std::vector<std::string>& names) {
    if (names.empty())
        return {};
    std::string out = "did you mean ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += i + 1 == names.size() ? " or " : ", ";
        out += names[i];
    }
    return out + "?";
}

} // namespace quillory::text
