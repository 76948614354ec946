// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/NormalizationSeam.h"

#include "actions/Transformable.h"
#include "text/Normalization.h"
#include "text/Utf.h"
#include "text/RegexTimeoutWatch.h"

#include <algorithm>
#include <vector>

namespace quillory {
namespace {

// The pieces between slashes; normalisation never moves a slash, so a text and its NFD form have the
// same number of them.
std::vector<std::string_view> components(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t slash; (slash = text.find('/', start)) != std::string_view::npos; start = slash + 1)
        pieces.push_back(text.substr(start, slash - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

} // namespace

std::string NormalizationSeam::decomposed(std::string_view text) {
    if (text::isAscii(text))
        return std::string(text);
    return text::nfd(text);
}

NormalizationSeam::NormalizationSeam(std::string original) : original_(std::move(original)) {
    if (text::isAscii(original_)) {
        working_ = original_;
        wasNfc_ = true;
        return;
    }
    working_ = text::nfd(original_);
    wasNfc_ = text::isNfc(original_);
}

std::string NormalizationSeam::writeBack(std::string_view output) const {
    if (output == working_)
        return original_;
    const auto normalised = [this](std::string_view changed) {
        return wasNfc_ && !text::isAscii(changed) ? text::nfc(changed) : std::string(changed);
    };
    if (original_.find('/') == std::string::npos || original_ == working_)
        return normalised(output);
    // A path whose folders and name differ in form (an NFC folder holding an NFD name, say): every
    // component the action left as it was keeps its exact bytes, matched from the start or the end, so
    // that renaming a name never turns its folder into a look-alike one.
    const std::vector<std::string_view> before = components(working_);
    const std::vector<std::string_view> originals = components(original_);
    const std::vector<std::string_view> after = components(output);
    std::string result;
    result.reserve(output.size() + 8);
    for (std::size_t k = 0; k < after.size(); ++k) {
        if (k > 0)
            result += '/';
        const std::size_t fromEnd = before.size() + k >= after.size() ? before.size() + k - after.size() : before.size();
        if (k < before.size() && after[k] == before[k])
            result += originals[k];
        else if (fromEnd < before.size() && after[k] == before[fromEnd])
            result += originals[fromEnd];
        else
            result += normalised(after[k]);
    }
    return result;
}

TransformStatus NormalizationSeam::rewrite(File &file, TransformScope scope, const Compute &compute) {
    const NormalizationSeam seam(file.transformed.text(scope));
    const text::RegexTimeoutWatch watch;
    TransformResult<std::optional<std::string>> result = compute(seam.working());
    // A search cut short by its time limit may have missed matches: nothing it computed is written.
    if (watch.timedOut())
        return Transformable::timeoutError();
    if (!result)
        return result.error();
    if (!result.value())
        return TransformStatus::success();
    const std::string newText = seam.writeBack(*result.value());
    if (newText != seam.original())
        file.transformed.setText(newText, scope);
    return TransformStatus::success();
}

} // namespace quillory
