// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TransformError.h"

namespace quillory {

std::string TransformError::description() const {
    switch (kind) {
    case Kind::fatal:
        return informativeText.empty() ? messageText : messageText + ": " + informativeText;
    case Kind::lateUpdateRequired:
        return "lateUpdateRequired";
    case Kind::aborted:
        return "aborted";
    }
    return {};
}

} // namespace quillory
