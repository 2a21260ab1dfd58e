// Collapsible sections.
#include "editor/Detail.h"

#include <QMouseEvent>

#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

const QString kUnknown = QStringLiteral("Unknown");

QString toggleImage(bool open) {
    return ui::imageName(
        ui::images::fill(ui::images::kEditorDetailItem, {open ? "open" : "closed"}));
}

}  // namespace

Detail::Detail(QWidget* parent) : QWidget(parent) {
    toggle_ = new ui::ImageButton(QString(), this);
    toggle_->setObjectName(QStringLiteral("detailToggle"));
    toggle_->setCheckable(true);
    toggle_->setFocusPolicy(Qt::TabFocus);
    toggle_->setGeometry(0, (kHeaderHeight - 12) / 2, 12, 12);
    titleLabel_ = new ui::Label(kUnknown, ui::fonts::Weight::Medium, 11, Qt::white, this);
    titleLabel_->setObjectName(QStringLiteral("detailTitle"));
    titleLabel_->setGeometry(18, 0, 200, kHeaderHeight);
    titleLabel_->installEventFilter(this);
    showToggleState();
    connect(toggle_, &QAbstractButton::clicked, this, [this](bool checked) { openClose(checked); });
}

QString Detail::title() const {
    return titleLabel_->text();
}

void Detail::setTitle(const QString& title) {
    titleLabel_->setText(title.isEmpty() ? kUnknown : title);
    toggle_->setAccessibleName(titleLabel_->text());
}

QWidget* Detail::content() const {
    return content_;
}

int Detail::contentHeight() const {
    return content_ ? content_->height() : 0;
}

void Detail::prepare() {
    if (content_) return;
    for (QObject* child : children()) {
        auto* view = qobject_cast<QWidget*>(child);
        if (view == nullptr || view == toggle_ || view == titleLabel_) continue;
        content_ = view;
        content_->move(content_->x(), kHeaderHeight);
        content_->setVisible(open_);
        resize(width(), kHeaderHeight + (open_ ? contentHeight() : 0));
        return;
    }
}

void Detail::openClose(bool open) {
    prepare();
    open_ = open;
    toggle_->setChecked(open);
    showToggleState();
    if (content_) content_->setVisible(open);
    resize(width(), kHeaderHeight + (open ? contentHeight() : 0));
    if (laidOut_) laidOut_();
}

void Detail::showToggleState() {
    const QString image = toggleImage(open_);
    toggle_->setImages(image, QString(), QString(), QString());
    toggle_->setAccessibleDescription(open_ ? QStringLiteral("open") : QStringLiteral("closed"));
}

bool Detail::eventFilter(QObject* watched, QEvent* event) {
    // The title opens and closes the section too.
    if (watched == titleLabel_ && event->type() == QEvent::MouseButtonRelease) {
        toggle_->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace harbrix
