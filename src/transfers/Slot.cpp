// A preset slot: what it shows in each state, and where its parts sit at each page size.
#include "transfers/Slot.h"

#include <QAccessible>
#include <QPainter>

#include "transfers/TransfersLayout.h"
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
    const int nameX = numberWidth_ + (size == 100 ? 6 : size == 50 ? 8 : 10);
    const int reserve = size == 20 ? 40 : size == 50 ? 28 : 22;
    const int nameWidth = width() - nameX - reserve;
    if (size == 100) {
        const int half = export_ ? nameWidth / 2 : nameWidth;
        nameField_->setGeometry(nameX, 0, half, height());
        exportNameField_->setGeometry(nameX + half + 4, 0, nameWidth - half - 24, height());
    }
    const QFont nameFont = ui::fonts::font(
        cached || pendingName_ ? ui::fonts::Weight::Regular : ui::fonts::Weight::MediumItalic,
        size == 20   ? 15
        : size == 50 ? 13
                     : 12);
    if (nameField_->font() != nameFont) nameField_->setFont(nameFont);
    setColor(nameField_, cached || pendingName_ ? kName : kUnknownName);
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
    laidOutFor_ = size;
    numberWidth_ = transfers_layout::pageLayout(size).numberWidth;
    const int w = width(), h = height();
    const int nameX = numberWidth_ + (size == 100 ? 6 : size == 50 ? 8 : 10);
    const QString add = QStringLiteral("TRANSFERS_slot_%1_add").arg(size);
    addButton_->setImages(add, add + QStringLiteral("_pressed"), QString(),
                          add + QStringLiteral("_hover"));
    numberField_->setGeometry(0, 0, numberWidth_, h);
    clickArea_->setGeometry(rect());
    switch (size) {
        case 20:
            numberField_->setFontWeight(ui::fonts::Weight::Medium, 17);
            nameField_->setGeometry(nameX, 14, w - nameX - 40, 26);
            exportNameField_->setFontWeight(ui::fonts::Weight::Regular, 13);
            exportNameField_->setGeometry(nameX, 48, w - nameX - 40, 20);
            addButton_->setGeometry(w - 34, (h - 24) / 2, 24, 24);
            removeButton_->move(w - 24, 8);
            warning_->move(w - 24, h - 26);
            break;
        case 50:
            numberField_->setFontWeight(ui::fonts::Weight::Medium, 13);
            nameField_->setGeometry(nameX, 4, w - nameX - 28, 20);
            exportNameField_->setFontWeight(ui::fonts::Weight::Regular, 11);
            exportNameField_->setGeometry(nameX, 24, w - nameX - 48, 18);
            addButton_->setGeometry(w - 24, (h - 18) / 2, 18, 18);
            removeButton_->move(w - 22, 5);
            warning_->move(w - 22, h - 21);
            break;
        default:
            numberField_->setFontWeight(ui::fonts::Weight::Medium, 11);
            exportNameField_->setFontWeight(ui::fonts::Weight::Regular, 11);
            addButton_->setGeometry(w - 19, 2, 15, 15);
            removeButton_->move(w - 18, 1);
            warning_->move(w - 38, 1);
            break;
    }
}

void Slot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    laidOutFor_ = 0;  // laid out again by the next sync
}

void Slot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (!background_.isEmpty())
        ui::drawThreeSlice(painter, rect(), background_, Qt::Horizontal, ratio, kImageCap);
    if (!surround_.isEmpty())
        ui::drawThreeSlice(painter, rect(), surround_, Qt::Horizontal, ratio, kImageCap);
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
