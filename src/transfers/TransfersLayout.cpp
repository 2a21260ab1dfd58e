// Slot places on the grid.
#include "transfers/TransfersLayout.h"

#include <algorithm>
#include <cmath>

namespace harbrix::transfers_layout {

const PageLayout& pageLayout(unsigned slotsPerPage) {
    for (const PageLayout& layout : kPageLayouts)
        if (layout.slotsPerPage == slotsPerPage) return layout;
    return kPageLayouts.back();
}

double columnScale(const PageLayout& layout, int areaWidth) {
    // The grid with a margin on both sides, at the table's pitch.
    const int natural = 2 * layout.leftMargin +
                        static_cast<int>(layout.columns - 1) * layout.columnPitch +
                        layout.slotImage.width();
    return std::min(1.0, static_cast<double>(areaWidth) / natural);
}

Place place(unsigned slotsPerPage, std::size_t index) {
    const PageLayout& layout = pageLayout(slotsPerPage);
    const auto position = static_cast<unsigned>(index % layout.slotsPerPage);
    return {position / layout.rows, position % layout.rows};
}

QRect slotFrame(unsigned slotsPerPage, std::size_t index, int areaWidth) {
    const PageLayout& layout = pageLayout(slotsPerPage);
    const Place at = place(layout.slotsPerPage, index);
    const double scale = columnScale(layout, areaWidth);
    const int used =
        static_cast<int>(layout.rows - 1) * layout.rowPitch + layout.slotImage.height();
    const int top = (layout.areaHeight - used) / 2;
    const int x = static_cast<int>(std::lround(
        scale * (layout.leftMargin + static_cast<int>(at.column) * layout.columnPitch)));
    const int width = static_cast<int>(std::lround(scale * layout.slotImage.width()));
    return QRect(x, top + static_cast<int>(at.row) * layout.rowPitch, width,
                 layout.slotImage.height());
}

bool onPage(unsigned slotsPerPage, unsigned page, std::size_t index) {
    const std::size_t size = pageLayout(slotsPerPage).slotsPerPage;
    if (page == 0) return false;
    return (page - 1) * size <= index && index <= page * size - 1;
}

}  // namespace harbrix::transfers_layout
