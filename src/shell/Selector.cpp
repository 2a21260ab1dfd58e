// The device chooser.
#include "shell/Selector.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "link/QORUARTDevice.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

// Where the panel itself starts, below its pointer.
constexpr int kPanelTop = Selector::kPointerHeight;
constexpr qreal kCaptionFromBottom = 47.5;
constexpr int kCaptionHeight = 17;
constexpr int kSerialHeight = 14;

// The window background's corner colour, so the panel reads as part of the window.
QColor panelColor() {
    static const QColor color = [] {
        const QImage image =
            ui::ImageStore::shared()
                .pixmap(ui::imageName(ui::images::kWindowBackground), QSize(8, 8), 1.0)
                .toImage();
        QColor corner = image.isNull() ? QColor(0x20, 0x20, 0x25) : image.pixelColor(0, 0);
        corner.setAlphaF(1.0);
        return corner;
    }();
    QColor translucent = color;
    translucent.setAlphaF(0.8);
    return translucent;
}

}  // namespace

Selector::Selector(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    resize(2 * kMargin, kHeight);
    hide();
}

QString Selector::caption(const std::string& modelName) {
    if (modelName == "MIV3") return QStringLiteral("MIV III");
    if (modelName == "NAX3") return QStringLiteral("NAX III");
    return {};
}

std::vector<QAbstractButton*> Selector::buttons() const {
    const auto found = findChildren<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    return {found.begin(), found.end()};
}

void Selector::refresh(const std::vector<DeviceRef>& devices, std::size_t current) {
    if (devices.empty() || current >= devices.size()) return;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        delete child;
    int x = kMargin;
    int total = 2 * kMargin;
    const int buttonTop = height() - kMargin - kButtonHeight;
    std::vector<Entry> entries;
    for (const DeviceRef& device : devices) {
        if (!device || device->name().empty()) return;
        const QString icon =
            ui::imageName(ui::images::fill(ui::images::kSelectorIcon, {device->name()}));
        const QString pressed = icon + ui::imageName(ui::images::kPressed);
        const QString nickname = caption(device->name());
        const QString serial = QString::fromStdString(device->serial());
        auto& store = ui::ImageStore::shared();
        if (!store.contains(icon) || !store.contains(pressed) || nickname.isEmpty() ||
            serial.isEmpty())
            return;
        const int width = store.size(icon).width();
        const int captionTop = qRound(height() - kCaptionFromBottom - kCaptionHeight);
        auto* label = new ui::Label(nickname, ui::fonts::Weight::Regular, 13, Qt::white, this);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setGeometry(x, captionTop, width, kCaptionHeight);
        label->show();
        // Pedals of one model look alike: the serial tells them apart.
        auto* serialLabel =
            new ui::Label(serial, ui::fonts::Weight::Regular, 10, QColor(255, 255, 255, 150), this);
        serialLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        serialLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
        serialLabel->setGeometry(x, captionTop + kCaptionHeight, width, kSerialHeight);
        serialLabel->show();
        auto* button = new ui::ImageButton(QString(), this);
        button->setImages(icon, pressed, QString(), QString());
        button->setObjectName(serial);
        const QString name = QStringLiteral("%1, serial %2").arg(nickname, serial);
        button->setAccessibleName(name);
        button->setToolTip(name);
        button->setImageOffset(QPoint(0, 10));
        button->setGeometry(x, buttonTop, width, kButtonHeight);
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { deviceButtonClicked(button); });
        button->show();
        label->raise();
        serialLabel->raise();
        entries.push_back({icon, nickname, serial});
        x += width;
        total += width;
    }
    devices_ = std::move(entries);
    current_ = current;
    resize(total, height());
    update();
}

void Selector::deviceButtonClicked(QAbstractButton* button) {
    for (QAbstractButton* each : buttons()) each->setEnabled(false);
    const QString serial = button->objectName();
    for (std::size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].serial == serial) current_ = i;
    update();
    if (delegate_ != nullptr) delegate_->deviceSelected(serial);
}

void Selector::open() {
    for (QAbstractButton* each : buttons()) each->setEnabled(true);
    raise();
    // Shown first: a hidden view cannot take the keyboard, and then Escape never reached it.
    ui::animation::fade(this, true, ui::animation::kChooserFadeMs);
    // The keyboard starts on the current pedal: Enter keeps it, the arrows go to the others.
    const auto all = buttons();
    QAbstractButton* current = nullptr;
    for (QAbstractButton* button : all)
        if (current_ < devices_.size() && button->objectName() == devices_[current_].serial)
            current = button;
    if (current != nullptr)
        current->setFocus(Qt::TabFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void Selector::close() {
    clearFocus();
    ui::animation::fade(this, false, ui::animation::kChooserFadeMs);
}

// The pedals' buttons click with Space and Enter themselves; the arrows and Escape they
// leave to the chooser.
void Selector::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const int key = event->key();
    if (key == Qt::Key_Escape && delegate_ != nullptr) delegate_->closeSelector();
    const bool back = key == Qt::Key_Left || key == Qt::Key_Up;
    const bool on = key == Qt::Key_Right || key == Qt::Key_Down;
    const auto all = buttons();
    if ((!back && !on) || all.empty()) return;
    // Left to right as they are laid out; the ends wrap round.
    const auto focused = std::find_if(all.begin(), all.end(),
                                      [](const QAbstractButton* b) { return b->hasFocus(); });
    const auto count = static_cast<std::ptrdiff_t>(all.size());
    const std::ptrdiff_t at = focused == all.end() ? (back ? 0 : -1) : focused - all.begin();
    all[static_cast<std::size_t>((at + (back ? count - 1 : 1)) % count)]->setFocus(
        Qt::TabFocusReason);
}

void Selector::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Room for the shadow (blur 10, offset 7 right and 7 down) inside the view.
    const QRectF panel = QRectF(rect()).adjusted(1, kPanelTop + 1, -10, -10);
    QPainterPath outline;
    outline.addRoundedRect(panel, 5, 5);
    QPainterPath pointer;
    pointer.moveTo(kPointerInset - kPointerHeight, panel.top() + 1);
    pointer.lineTo(kPointerInset, panel.top() - kPointerHeight + 1);
    pointer.lineTo(kPointerInset + kPointerHeight, panel.top() + 1);
    pointer.closeSubpath();
    outline = outline.united(pointer);

    // A soft black shadow, 7 points right and down, blurred over about 10 points.
    const QPainterPath shadow = outline.translated(7, 7);
    painter.setBrush(Qt::NoBrush);
    for (int blur = 10; blur >= 2; blur -= 2) {
        painter.setPen(QPen(QColor(0, 0, 0, 10), blur, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(shadow);
    }
    painter.fillPath(shadow, QColor(0, 0, 0, 60));
    painter.setBrush(panelColor());
    painter.setPen(QPen(QColor(255, 255, 255, qRound(255 * 0.8)), 2));
    painter.drawPath(outline);

    if (current_ < devices_.size()) {
        const auto all = buttons();
        for (QAbstractButton* button : all)
            if (button->objectName() == devices_[current_].serial) {
                // Around the icon and its caption.
                const QRectF area = button->geometry();
                const QRectF shade(
                    area.left() + 4, area.top() + 14, area.width() - 8,
                    height() - kCaptionFromBottom + 6 + kSerialHeight - (area.top() + 14));
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(255, 255, 255, 28));
                painter.drawRoundedRect(shade, 6, 6);
            }
    }
}

}  // namespace harbrix
