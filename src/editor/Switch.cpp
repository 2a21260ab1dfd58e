// Parameter switches.
#include "editor/Switch.h"

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"

namespace harbrix {

Switch::Switch(QWidget* parent)
    : ui::ToggleButton(ui::imageName(ui::images::kEditorSwitch), parent) {
    // Tab reaches it (Space flips it); a click leaves the keyboard with the preset list.
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_) action_(this);
    });
}

}  // namespace harbrix
