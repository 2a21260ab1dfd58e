// Runs the device layer's main rail on Qt's event loop.
#pragma once

namespace harbrix {

// Binds the main rail to the running QApplication: posted work runs on the GUI thread as
// queued calls, timers as single-shot Qt timers. Call once, after the QApplication exists.
void bindMainRailToQt();

}  // namespace harbrix
