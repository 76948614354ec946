// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RegExpAnchor.h"

namespace quillory {

std::string_view rawValue(RegExpAnchor anchor) {
    switch (anchor) {
    case RegExpAnchor::none:
        return "none";
    case RegExpAnchor::start:
        return "start";
    case RegExpAnchor::end:
        return "end";
    case RegExpAnchor::startEnd:
        return "startEnd";
    }
    return "none";
}

std::optional<RegExpAnchor> regExpAnchorFromRaw(std::string_view raw) {
    for (auto anchor : {RegExpAnchor::none, RegExpAnchor::start, RegExpAnchor::end, RegExpAnchor::startEnd})
        if (rawValue(anchor) == raw)
            return anchor;
    return std::nullopt;
}

} // namespace quillory
