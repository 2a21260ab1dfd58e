// Preset list rows.
#include "editor/EditorPresetsTableCellView.h"

#include <QMouseEvent>
#include <QPainter>

#include "editor/EditorPresetsTable.h"
#include "shell/Shield.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

constexpr qreal kDimmed = 0.4;

QString slotImage(std::string_view state) {
    return ui::imageName(ui::images::fill(ui::images::kEditorPresetSlot, {state}));
}

QString twoDigits(std::size_t index) {
    return QStringLiteral("%1").arg(index + 1, 2, 10, QLatin1Char('0'));
}

}  // namespace

EditorPresetsTableCellView::EditorPresetsTableCellView(EditorPresetsTable* table, std::size_t index,
                                                       QWidget* parent)
    : QWidget(parent), table_(table), index_(index) {
    setFixedHeight(kHeight);
    setFocusPolicy(Qt::NoFocus);
    number_ = new ui::Label(twoDigits(index), ui::fonts::Weight::Medium, 11, Qt::white, this);
    number_->setGeometry(10, 0, 26, kHeight);
    title_ = new ui::Label(QString(), ui::fonts::Weight::Regular, 12, Qt::white, this);
    title_->setGeometry(40, 0, 190, kHeight);
    for (ui::Label* label : {number_, title_})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void EditorPresetsTableCellView::setHovering(bool hovering) {
    if (hovering_ == hovering) return;
    hovering_ = hovering;
    update();
}

QString EditorPresetsTableCellView::backgroundName() const {
    if (hovering_) return slotImage("hover");
    if (table_->selectedRow() == index_) return slotImage("selected");
    if (state_.empty) return slotImage("empty");
    return slotImage("full");
}

void EditorPresetsTableCellView::reload() {
    if (table_->delegate() != nullptr) state_ = table_->delegate()->rowState(index_);
    QColor numberColor = Qt::white;
    numberColor.setAlphaF(state_.empty ? kDimmed : 1.0);
    number_->setColor(numberColor);
    QColor titleColor = Qt::white;
    if (!state_.known) titleColor.setAlphaF(kDimmed);
    title_->setColor(titleColor);
    title_->setText(state_.known ? state_.title : QStringLiteral("…"));
    // Unknown contents are never called empty: the slot may well hold a preset.
    QString what = state_.title;
    if (!state_.known)
        what = QStringLiteral("Unknown");
    else if (state_.empty)
        what = QStringLiteral("Empty");
    else if (what.isEmpty())
        what = QStringLiteral("Unnamed");
    setAccessibleName(QStringLiteral("Preset %1, %2").arg(twoDigits(index_), what));
    update();
}

void EditorPresetsTableCellView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap background =
        ui::ImageStore::shared().pixmap(backgroundName(), size(), devicePixelRatioF());
    painter.drawPixmap(0, 0, background);
}

void EditorPresetsTableCellView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (Shield::shieldsUp()) return;
    setHovering(true);
    if (table_->delegate() != nullptr) table_->delegate()->hoveringBegan(this);
}

void EditorPresetsTableCellView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!hovering_) return;
    setHovering(false);
    if (table_->delegate() != nullptr) table_->delegate()->hoveringEnded(this);
}

void EditorPresetsTableCellView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) table_->userSelectRow(index_);
}

void EditorPresetsTableCellView::wheelEvent(QWheelEvent* event) {
    table_->scrolledRows().insert(index_);
    event->ignore();  // the list scrolls
}

}  // namespace harbrix
