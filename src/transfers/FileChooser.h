// The two choosers of the preset file flows, shown as sheets on the window: a folder to
// import presets into (its confirm button reads "Save"), and one preset file to stage on a
// slot. The answer comes back later through a callback, never from a nested event loop.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace harbrix::FileChooser {

// The chosen path; empty when the user cancelled.
using Answer = std::function<void(const QString& path)>;

void chooseFolder(QWidget* window, Answer answer);
// One file with the extension (no other types).
void chooseFile(QWidget* window, const QString& extension, Answer answer);

}  // namespace harbrix::FileChooser
