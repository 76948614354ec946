// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/ShiftedOrder.h"

#include <utility>

namespace quillory::gui {

std::vector<int> shiftedOrder(const std::vector<bool>& marked, int delta) {
    const int count = static_cast<int>(marked.size());
    std::vector<int> order(marked.size());
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    if (delta == 0)
        return order;
    // Walk away from the edge the items move to: a block then moves as a whole and stops at the edge.
    const int step = delta < 0 ? 1 : -1;
    std::vector<bool> at = marked;
    for (int i = delta < 0 ? 1 : count - 2; i >= 0 && i < count; i += step) {
        const int neighbour = i - step;
        const auto ui = static_cast<std::size_t>(i), un = static_cast<std::size_t>(neighbour);
        if (at[ui] && !at[un]) {
            std::swap(order[ui], order[un]);
            at[ui] = false;
            at[un] = true;
        }
    }
    return order;
}

} // namespace quillory::gui
