// Where things sit on the Transfers screen: the page layouts of the slot grid (slots per page,
// rows, column and row pitch, margin, slot area height), the slot images' sizes, and the
// screen's own places (tab strip, slot area, button column, status row).
//
// The grid's column pitches ask for a slot area up to 1,232 points wide, more than the
// window's 1,100. Columns are therefore narrowed by one factor per page size, just enough to
// fit: slot widths and column pitches shrink together, so slots keep their gaps in proportion;
// rows, row pitches, the order of the slots and the pages are as the table says.
#pragma once

#include <QRect>
#include <QSize>

#include <array>
#include <cstddef>

namespace harbrix::transfers_layout {

struct PageLayout {
    unsigned slotsPerPage;
    unsigned rows;  // per column; slots fill a column top to bottom, then the next
    unsigned columns;
    int columnPitch;  // points, before fitting
    int rowPitch;
    int leftMargin;
    int areaHeight;   // the slot area's height for this page size
    QSize slotImage;  // TRANSFERS_slot_S_* images
    int numberWidth;  // where the slot image's divider sits
};

inline constexpr std::array<PageLayout, 3> kPageLayouts{{
    {20, 5, 4, 302, 96, 18, 511, QSize(290, 88), 40},
    {50, 10, 5, 240, 51, 10, 524, QSize(230, 46), 34},
    {100, 25, 4, 298, 21, 10, 546, QSize(288, 19), 30},
}};
static_assert(kPageLayouts[0].rows * kPageLayouts[0].columns == 20);
static_assert(kPageLayouts[1].rows * kPageLayouts[1].columns == 50);
static_assert(kPageLayouts[2].rows * kPageLayouts[2].columns == 100);

// The layout for 20, 50 or 100 slots per page; 100's for any other value.
const PageLayout& pageLayout(unsigned slotsPerPage);
// How much the columns are narrowed in a slot area `areaWidth` wide (1 when they fit).
double columnScale(const PageLayout& layout, int areaWidth);
// The slot's column and row on its page.
struct Place {
    unsigned column;
    unsigned row;
};
Place place(unsigned slotsPerPage, std::size_t index);
// The slot's frame in a slot area `areaWidth` wide.
QRect slotFrame(unsigned slotsPerPage, std::size_t index, int areaWidth);
// Whether the slot is on that page (pages from 1).
bool onPage(unsigned slotsPerPage, unsigned page, std::size_t index);

// ---- The screen (1,100 x 640 points below the window's header)
inline constexpr int kSlotAreaX = 8;
inline constexpr int kSlotAreaY = 40;
inline constexpr int kSlotAreaWidth = 956;
inline constexpr QRect kTabStrip{8, 6, 600, 28};
inline constexpr QSize kTabSize{120, 26};
inline constexpr int kTabGap = 4;
inline constexpr QSize kPushButton{108, 28};
inline constexpr int kButtonColumnX = 976;
inline constexpr int kButtonGap = 12;
inline constexpr QSize kPageSizeButton{42, 24};
inline constexpr int kPageSizeButtonsY = 8;
inline constexpr int kPageSizeButtonsRight = 1084;
// The status row: the status line's container and the buttons beside it, which keep their
// distances from it when it moves.
inline constexpr QRect kStatus{244, 592, 700, 24};
inline constexpr int kStatusXFor20 = 373;
inline constexpr int kSelectAllOffset = -236;  // from the status line's x
inline constexpr int kDeselectAllOffset = -120;
inline constexpr int kCancelOffset = -236;
inline constexpr int kStatusButtonY = 590;
inline constexpr QRect kNotice{8, 618, 1084, 18};
// Status texts: their distance from the centre (cases with two texts), and the overwrite
// group's gaps.
inline constexpr int kStatusCentreGap = 15;
inline constexpr int kWarningGap = 30;
inline constexpr int kWarningTextGap = 8;

}  // namespace harbrix::transfers_layout
