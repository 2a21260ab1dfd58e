// The status panel.
#include "shell/Status.h"

#include <QAbstractButton>

#include <functional>
#include <map>

#include "shell/MIV3Status.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"

namespace harbrix {

Status* Status::status(const QString& name, QWidget* parent) {
    // One loader per layout file.
    static const std::map<QString, std::function<Status*(QWidget*)>> loaders = {
        {QStringLiteral("MIV3Status"), [](QWidget* p) { return MIV3Status::load(p); }},
    };
    const auto found = loaders.find(name);
    return found == loaders.end() ? nullptr : found->second(parent);
}

Status::Status(QWidget* parent) : QWidget(parent) {}

void Status::didLoad(ui::Label* title, ui::Label* subtitle, QWidget* background,
                     QAbstractButton* compressButton, std::vector<StatusGroup*> groups) {
    title_ = title;
    subtitle_ = subtitle;
    background_ = background;
    if (title_ != nullptr) title_->clear();
    if (subtitle_ != nullptr) subtitle_->clear();
    groups_ = std::move(groups);
    for (StatusGroup* group : groups_) {
        group->setDelegate(this);
        group->setInitialOrigin(group->pos());
    }
    if (compressButton != nullptr) {
        const QString base = ui::imageName(ui::images::kEditorBreakoutOpen);
        auto* button = new ui::ImageButton(base);
        button->setImages(base, base + ui::imageName(ui::images::kPressed), QString(),
                          base + ui::imageName(ui::images::kHover));
        ui::ImageButton::takePlace(compressButton, button, true);
        connect(button, &QAbstractButton::clicked, this, [this] { compress(); });
        compressButton_ = button;
    }
}

void Status::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    recordInitialMetrics();
}

void Status::recordInitialMetrics() {
    if (initialMetricsRecorded_ || window() == this) return;
    initialX_ = parentWidget() != nullptr ? parentWidget()->x() : 0;
    initialWidth_ = width();
    initialMetricsRecorded_ = true;
}

void Status::compress() {
    if (compressButton_) compressButton_->hide();
    setCompressed(true);
}

void Status::setCompressed(bool compressed) {
    recordInitialMetrics();
    compressed_ = compressed;
    for (StatusGroup* group : groups_) {
        group->setCompressed(compressed);
        group->move(group->computedOrigin());
    }
    const int width = compressed ? compressedWidth_ : initialWidth_;
    if (width > 0) resize(width, height());
    if (QWidget* container = parentWidget(); container != nullptr && container != window())
        container->move(compressed ? compressedX_ : initialX_, container->y());
    if (background_) background_->resize(this->width(), background_->height());
    if (title_ != nullptr) title_->setVisible(!compressed);
    if (subtitle_ != nullptr) subtitle_->setVisible(!compressed);
    if (auto* button = qobject_cast<ui::ImageButton*>(compressButton_.data()))
        button->setHovered(false);
    if (compressButton_) compressButton_->setVisible(!compressed);
    if (compressed && delegate_ != nullptr) delegate_->statusDidCompress(this);
}

void Status::itemClicked(const QString& item, const QString& group) {
    if (delegate_ != nullptr) delegate_->itemClicked(item, group);
}

}  // namespace harbrix
