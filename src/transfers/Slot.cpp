// A preset slot: what it shows in each state, and where its parts sit at each page size.
#include "transfers/Slot.h"

#include <QAccessible>
#include <QPainter>

#include "transfers/TransfersLayout.h"
#include "ui/Colors.h"
#include "ui/FocusRing.h"
#include "ui/HotSpotButton.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/ThreeSlice.h"

namespace harbrix {
namespace {

const QColor kOccupiedNumber(255, 255, 255);
const QColor kEmptyNumber(255, 255, 255, 64);
const QColor kName(255, 255, 255);
const QColor kUnknownName(255, 255, 255, 110);
const QColor kStagedOnEmpty(0xFD, 0xEE, 0x1B);
const QColor kStagedOverPreset(0xFF, 0x6A, 0x4D);
// The slot images keep their ends (the number and the hover marks) and stretch between them.
constexpr qreal kImageCap = 56;

// Where a slot's parts sit, by slots per page. At 100 per page the name and the staged file
// share the slot's one line, so they are placed by sync.
struct Parts {
    unsigned slotsPerPage;
    qreal numberPoints, namePoints, stagedPoints;
    int nameGap;                         // from the number's divider
    int nameY, nameHeight, nameReserve;  // the reserve keeps the right end free
    int stagedY, stagedHeight, stagedReserve;
    int add, addRight;  // the add button's size, its distance from the right
    int removeRight, removeY, warningRight, warningY;
};

constexpr Parts kParts[] = {
    {20, 17, 15, 13, 10, 14, 26, 40, 48, 20, 40, 24, 34, 24, 8, 24, 62},
    {50, 13, 13, 11, 8, 4, 20, 28, 24, 18, 48, 18, 24, 22, 5, 22, 25},
    {100, 11, 12, 11, 6, 0, 19, 22, 0, 19, 0, 15, 19, 18, 1, 38, 1},
};

const Parts& parts(unsigned slotsPerPage) {
    for (const Parts& p : kParts)
        if (p.slotsPerPage == slotsPerPage) return p;
    return kParts[2];
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

void setColor(ui::Label* label, const QColor& color) {
    if (label->color() != color) label->setColor(color);
}

// Shows `full` cut with an ellipsis to the label's width; the whole text stays the tool tip.
void setElidedText(ui::Label* label, const QString& full) {
    const QString shown = label->fontMetrics().elidedText(full, Qt::ElideRight, label->width());
    if (label->text() != shown) label->setText(shown);
    const QString tip = shown == full ? QString() : full;
    if (label->toolTip() != tip) label->setToolTip(tip);
}

}  // namespace

QString slotImage(unsigned slotsPerPage, const QString& state) {
    return QStringLiteral("TRANSFERS_slot_%1_%2").arg(slotsPerPage).arg(state);
}

Slot::Slot(std::size_t index, SlotDelegate* delegate, QWidget* parent)
    : QWidget(parent), index_(index), delegate_(delegate) {
    setAttribute(Qt::WA_TranslucentBackground);
    numberField_ = new ui::Label(QString(), ui::fonts::Weight::Medium, 13, kOccupiedNumber, this);
    numberField_->setAlignment(Qt::AlignCenter);
    nameField_ = new ui::Label(QString(), ui::fonts::Weight::Regular, 13, kName, this);
    nameField_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    exportNameField_ =
        new ui::Label(QString(), ui::fonts::Weight::Regular, 11, kStagedOnEmpty, this);
    exportNameField_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    warning_ = new ui::ImageView(ui::imageName(ui::images::kTransfersWarning), this);
    warning_->setToolTip(QStringLiteral("The staged file will overwrite this preset"));
    // Over the labels, under the two buttons, which take their own clicks.
    clickArea_ = new ui::HotSpotButton(this);
    addButton_ = new ui::ImageButton(QString(), this);
    addButton_->setToolTip(QStringLiteral("Stage a preset file on this slot"));
    addButton_->setAccessibleName(QStringLiteral("Add File to Slot %1").arg(number()));
    removeButton_ = new ui::ImageButton(ui::imageName(ui::images::kTransfersRemove), this);
    removeButton_->setToolTip(QStringLiteral("Remove the staged file"));
    removeButton_->setAccessibleName(
        QStringLiteral("Remove Staged File from Slot %1").arg(number()));
    removeButton_->setFixedSize(16, 16);
    warning_->setFixedSize(16, 16);
    for (QWidget* part : std::initializer_list<QWidget*>{exportNameField_, warning_, removeButton_})
        part->hide();
    // The grid is one stop for Tab, its keyboard's slot; the slots' own buttons are not.
    addButton_->setFocusPolicy(Qt::NoFocus);
    removeButton_->setFocusPolicy(Qt::NoFocus);

    connect(clickArea_, &ui::HotSpotButton::hoverChanged, this, &Slot::setHovering);
    connect(clickArea_, &ui::HotSpotButton::clicked, this, &Slot::selectionButtonClicked);
    connect(clickArea_, &ui::HotSpotButton::doubleClicked, this,
            [this] { delegate_->slotDoubleClicked(this); });
    connect(clickArea_, &ui::HotSpotButton::dragStarted, this,
            [this](const QPoint&, const QPoint& position) {
                delegate_->slotDragStarted(this, clickArea_->mapTo(this, position));
            });
    connect(addButton_, &QAbstractButton::clicked, this,
            [this] { delegate_->slotAddClicked(this); });
    connect(removeButton_, &QAbstractButton::clicked, this, &Slot::slotExportXButtonClicked);
    hide();
}

bool Slot::empty() const {
    const PresetRef cached = preset();
    return cached && cached->empty();
}

bool Slot::occupied() const {
    const PresetRef cached = preset();
    return cached && !cached->empty();
}

void Slot::setSelected(bool selected) {
    if (selected == selected_) return;
    if (selected && !occupied()) return;
    selected_ = selected;
    if (selected) {
        delegate_->slotSelected(this);
    } else {
        delegate_->slotDeselected(this);
    }
    sync();
}

void Slot::setHovering(bool hovering) {
    if (hovering == hovering_) return;
    hovering_ = hovering;
    // Outside sync a hover shows the plain hover state.
    const QString image =
        slotImage(delegate_->slotSize(),
                  hovering && known() && !editing_ ? QStringLiteral("hover") : state(preset()));
    if (image != background_) {
        background_ = image;
        update();
    }
}

void Slot::setExport(PresetRef preset) {
    export_ = std::move(preset);
    sync();
}

void Slot::setEditing(bool editing) {
    editing_ = editing;
    sync();
}

void Slot::setMark(SlotMark mark) {
    if (mark == mark_) return;
    mark_ = mark;
    sync();
    update();
}

void Slot::setPendingName(std::optional<QString> name) {
    pendingName_ = std::move(name);
    sync();
}

QString Slot::state(const PresetRef& cached) const {
    if (editing_) return QStringLiteral("rename");
    if (hovering_ && cached) {
        switch (delegate_->offeredOperation()) {
            case TransferOperation::swap:
                return QStringLiteral("hover_swap");
            case TransferOperation::overwrite:
                return QStringLiteral("hover_overwrite");
            default:
                return QStringLiteral("hover");
        }
    }
    if (!cached || cached->empty()) return QStringLiteral("empty");
    return selected_ ? QStringLiteral("selected") : QStringLiteral("full");
}

QString Slot::shownNumber() const {
    return QStringLiteral("%1").arg(number(), 2, 10, QLatin1Char('0'));
}

QString Slot::shownName() const {
    if (pendingName_) return *pendingName_;
    const PresetRef cached = preset();
    if (!cached) return QStringLiteral("Unknown");
    return cached->empty() ? QString() : text(cached->displayName());
}

QString Slot::shownExportName() const {
    return export_ ? text(export_->displayName()) : QString();
}

void Slot::sync() {
    const QRect frame = delegate_->frameForSlot(index_);
    if (frame.isEmpty()) {
        if (!isHidden()) hide();
        return;
    }
    if (geometry() != frame) setGeometry(frame);
    if (laidOutFor_ != delegate_->slotSize()) layOut();
    const PresetRef cached = preset();
    const bool isOccupied = cached && !cached->empty();
    const unsigned size = delegate_->slotSize();

    if (numberField_->text() != shownNumber()) numberField_->setText(shownNumber());
    setColor(numberField_, isOccupied ? kOccupiedNumber : kEmptyNumber);

    // At 100 per page name and staged file share the one line.
    const Parts& at = parts(size);
    const int nameX = numberWidth_ + at.nameGap;
    const int nameWidth = width() - nameX - at.nameReserve;
    if (size == 100) {
        const int half = export_ ? nameWidth / 2 : nameWidth;
        nameField_->setGeometry(nameX, 0, half, height());
        exportNameField_->setGeometry(nameX + half + 4, 0, nameWidth - half - 24, height());
    }
    const QFont nameFont = ui::fonts::font(
        cached || pendingName_ ? ui::fonts::Weight::Regular : ui::fonts::Weight::MediumItalic,
        at.namePoints);
    if (nameField_->font() != nameFont) nameField_->setFont(nameFont);
    // A cut preset is on its way out: its name fades like an unknown one.
    setColor(nameField_, (cached || pendingName_) && mark_ != SlotMark::cut ? kName : kUnknownName);
    setElidedText(nameField_, shownName());
    nameField_->setVisible(!editing_);

    setElidedText(exportNameField_, shownExportName());
    setColor(exportNameField_, isOccupied ? kStagedOverPreset : kStagedOnEmpty);
    exportNameField_->setVisible(export_ != nullptr);

    const QString background = slotImage(size, state(cached));
    const QString surround = export_
                                 ? QStringLiteral("TRANSFERS_slot_%1_export%2")
                                       .arg(size)
                                       .arg(isOccupied ? QStringLiteral("_overwrite") : QString())
                                 : QString();
    if (background != background_ || surround != surround_) {
        background_ = background;
        surround_ = surround;
        update();
    }
    // A file may be staged on any slot whose contents are known.
    addButton_->setVisible(!export_ && cached && !editing_);
    removeButton_->setVisible(export_ != nullptr);
    warning_->setVisible(export_ && isOccupied);
    clickArea_->setVisible(delegate_->canSelectSlots());

    QString name = isOccupied ? text(cached->displayName())
                   : cached   ? QStringLiteral("Empty")
                              : QStringLiteral("Unknown");
    if (pendingName_) name = *pendingName_;
    if (export_) name += QStringLiteral(", staged: ") + shownExportName();
    const QString accessible = QStringLiteral("Slot %1, %2").arg(number()).arg(name);
    if (accessibleName() != accessible) {
        setAccessibleName(accessible);
        clickArea_->setAccessibleName(accessible);
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (isHidden()) show();
}

void Slot::layOut() {
    const unsigned size = delegate_->slotSize();
    const Parts& at = parts(size);
    laidOutFor_ = size;
    numberWidth_ = transfers_layout::pageLayout(size).numberWidth;
    const int w = width(), h = height();
    const int nameX = numberWidth_ + at.nameGap;
    const QString add = QStringLiteral("TRANSFERS_slot_%1_add").arg(size);
    addButton_->setImages(add, add + QStringLiteral("_pressed"), QString(),
                          add + QStringLiteral("_hover"));
    numberField_->setGeometry(0, 0, numberWidth_, h);
    numberField_->setFontWeight(ui::fonts::Weight::Medium, at.numberPoints);
    exportNameField_->setFontWeight(ui::fonts::Weight::Regular, at.stagedPoints);
    if (size != 100) {
        nameField_->setGeometry(nameX, at.nameY, w - nameX - at.nameReserve, at.nameHeight);
        exportNameField_->setGeometry(nameX, at.stagedY, w - nameX - at.stagedReserve,
                                      at.stagedHeight);
    }
    addButton_->setGeometry(w - at.addRight, (h - at.add) / 2, at.add, at.add);
    removeButton_->move(w - at.removeRight, at.removeY);
    warning_->move(w - at.warningRight, at.warningY);
    clickArea_->setGeometry(rect());
}

void Slot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    laidOutFor_ = 0;  // laid out again by the next sync
}

void Slot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    // A cut slot shows faded, as the preset dragged away; cut or copied, a dashed outline
    // says it waits to be pasted.
    if (mark_ == SlotMark::cut) painter.setOpacity(0.45);
    if (!background_.isEmpty())
        ui::drawThreeSlice(painter, rect(), background_, Qt::Horizontal, ratio, kImageCap);
    if (!surround_.isEmpty())
        ui::drawThreeSlice(painter, rect(), surround_, Qt::Horizontal, ratio, kImageCap);
    painter.setOpacity(1);
    if (mark_ != SlotMark::none) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        QPen dashes(ui::rgb(ui::colors::kYellow), 1.5, Qt::DashLine);
        painter.setPen(dashes);
        painter.drawRoundedRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), 3, 3);
        painter.restore();
    }
    if (hasFocus()) ui::paintFocusRing(painter, rect());
}

void Slot::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void Slot::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void Slot::selectionButtonClicked() {
    delegate_->slotClicked(this);
}

void Slot::slotExportXButtonClicked() {
    export_.reset();
    sync();
    delegate_->slotExportCleared(this);
}

}  // namespace harbrix
