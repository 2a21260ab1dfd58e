// Pedal lamps.
#include "editor/Light.h"

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"

namespace harbrix {
namespace {

QString lampImage(bool on) {
    return ui::imageName(ui::images::fill(ui::images::kEditorLight, {on ? "on" : "off"}));
}

}  // namespace

Light::Light(QWidget* parent) : ui::ImageView(lampImage(false), parent) {}

void Light::setOn(bool on) {
    on_ = on;
    setImageName(lampImage(on));
    setAccessibleDescription(on ? QStringLiteral("on") : QStringLiteral("off"));
}

}  // namespace harbrix
