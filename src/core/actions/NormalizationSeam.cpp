// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/NormalizationSeam.h"

#include "text/Normalization.h"

#include <algorithm>

namespace quillory {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

} // namespace

std::string NormalizationSeam::decomposed(std::string_view text) {
    if (isAscii(text))
        return std::string(text);
    return text::nfd(text);
}

NormalizationSeam::NormalizationSeam(std::string original) : original_(std::move(original)) {
    if (isAscii(original_)) {
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
    if (wasNfc_ && !isAscii(output))
        return text::nfc(output);
    return std::string(output);
}

TransformStatus NormalizationSeam::rewrite(File &file, TransformScope scope, const Compute &compute) {
    const NormalizationSeam seam(file.transformed.text(scope));
    TransformResult<std::optional<std::string>> result = compute(seam.working());
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
