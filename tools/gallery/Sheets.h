// The gallery's pages, each showing a group of the kit's widgets in all their states.
#pragma once

#include <vector>

#include "Sheet.h"

namespace harbrix::gallery {

// Knobs, faders, sliders.
Sheet* valueControls();
// Push and toggle buttons in every state.
Sheet* buttons();
// Labels, colours, three-slice views, the scroll bar and an alert.
Sheet* textAndColours();
// The screens' pieces: transfer slots and drag images, editor rows and pedal, header art.
Sheet* transfers();
Sheet* editor();
Sheet* header();
// Every image of the table, grouped by screen.
std::vector<Sheet*> imageSheets();

}  // namespace harbrix::gallery
