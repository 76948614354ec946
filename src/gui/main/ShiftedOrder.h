// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace quillory::gui {

// The order of a list after the marked items moved one place up (delta < 0) or down (delta > 0), as
// the old index of each new place. Marked items at the edge stay, and a marked item never passes
// another one, so a block moves as a whole. Keyboard reordering of files, actions and lookup rows.
std::vector<int> shiftedOrder(const std::vector<bool>& marked, int delta);

} // namespace quillory::gui
