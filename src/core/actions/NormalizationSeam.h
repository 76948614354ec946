// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "model/TransformResult.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// Every action works on the decomposed (NFD) form of its text, so that accent-aware matching sees a letter
// and its marks apart. What the action writes back is put in NFC again when the text it read was NFC (a
// compatibility change such as "ﬁ" -> "fi" survives that), and a result equal to the text it was given
// writes the original bytes back untouched. Decomposed names keep the decomposed behaviour.
class NormalizationSeam {
public:
    explicit NormalizationSeam(std::string original);

    const std::string &original() const { return original_; }
    // The NFD form the action works on.
    const std::string &working() const { return working_; }
    bool wasNfc() const { return wasNfc_; }

    // The text to write back for the action's output.
    std::string writeBack(std::string_view output) const;

    // The new text for a working text: std::nullopt leaves the file untouched.
    using Compute = std::function<TransformResult<std::optional<std::string>>(const std::string &working)>;

    // Reads the file's text for the scope, runs `compute` on its NFD form and writes the result back in
    // the original's form. An error or std::nullopt leaves the file as it was; so does a result that
    // equals the text read, so an unchanged full path is not split again.
    static TransformStatus rewrite(File &file, TransformScope scope, const Compute &compute);

    // The NFD form of any text, with a shortcut for ASCII. Find texts and patterns go through this too.
    static std::string decomposed(std::string_view text);

private:
    std::string original_;
    std::string working_;
    bool wasNfc_ = true;
};

} // namespace quillory
