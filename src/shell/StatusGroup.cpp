// Status panel groups.
#include "shell/StatusGroup.h"

#include <QMouseEvent>

#include "ui/Label.h"

namespace harbrix {
namespace {

constexpr int kTitleTop = 8;
constexpr int kLineHeight = 18;
constexpr int kDividerHeight = 11;
// Items past this many continue on a second line when the group wraps.
constexpr int kItemsPerLine = 3;

constexpr unsigned kBits[6] = {StatusGroup::kTitle, StatusGroup::kItem1, StatusGroup::kItem2,
                               StatusGroup::kItem3, StatusGroup::kItem4, StatusGroup::kItem5};

}  // namespace

StatusGroup::StatusGroup(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    for (auto& label : labels_) {
        label = new ui::Label(QString(), ui::fonts::Weight::Regular, 12, Qt::white, this);
        label->installEventFilter(this);
        label->hide();
    }
    for (auto& divider : dividers_) {
        divider = new ui::ColorView(QColor(255, 255, 255, 64), this);
        divider->hide();
    }
    layOut();
}

QString StatusGroup::item(int number) const {
    return number >= 1 && number <= 5 ? texts_[number] : QString();
}

void StatusGroup::setText(int index, const QString& text) {
    texts_[index] = text;
    layOut();
}

void StatusGroup::setMargin(int margin) {
    margin_ = margin;
    layOut();
}

void StatusGroup::setCompressedMargin(int margin) {
    compressedMargin_ = margin;
    layOut();
}

void StatusGroup::setWraps(bool wraps) {
    wraps_ = wraps;
    layOut();
}

void StatusGroup::setArrangement(int arrangement) {
    arrangement_ = arrangement;
    layOut();
}

void StatusGroup::setInitialLine(int y) {
    initialLine_ = y;
    layOut();
}

QPoint StatusGroup::computedOrigin() const {
    return compressed_ ? QPoint(compressedX_, initialOrigin_.y()) : initialOrigin_;
}

void StatusGroup::setHighlights(unsigned mask) {
    highlights_ = mask;
    layOut();
}

void StatusGroup::setCompressed(bool compressed) {
    compressed_ = compressed;
    layOut();
}

QString StatusGroup::parsedString(const QString& text) const {
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0) return text;
    return compressed_ ? text.mid(comma + 1) : text.left(comma);
}

bool StatusGroup::highlighted(int index) const {
    return (highlights_ & kBits[index]) != 0;
}

void StatusGroup::layOut() {
    int right = 0;
    int x = 0;
    int line = initialLine_;
    int onLine = 0;
    const int gap = compressed_ ? compressedMargin_ : margin_;
    for (int index = 0; index < 6; ++index) {
        ui::Label* label = labels_[index];
        const QString text = parsedString(texts_[index]);
        label->setVisible(!text.isEmpty());
        if (index >= 2) dividers_[index - 2]->hide();
        if (text.isEmpty()) continue;
        const bool bright = highlighted(index);
        label->setFontWeight(bright ? ui::fonts::Weight::Medium : ui::fonts::Weight::Regular, 12);
        label->setColor(QColor(255, 255, 255, bright ? 255 : 128));
        label->setText(text);
        const int width = label->sizeHint().width();
        if (index == 0) {
            if (arrangement_ == Inline) {
                label->setGeometry(0, line, width, kLineHeight);
                x = width + gap;
            } else {
                label->setGeometry(0, kTitleTop, width, kLineHeight);
            }
            right = std::max(right, width);
            continue;
        }
        if (onLine > 0 && wraps_ && onLine == kItemsPerLine) {
            line += kLineHeight;
            x = arrangement_ == Inline ? labels_[0]->width() + gap : 0;
            onLine = 0;
        }
        if (onLine > 0) {
            // A divider sits half way between this item and the one before it.
            ui::ColorView* divider = dividers_[index - 2];
            divider->setGeometry(x - gap / 2, line + (kLineHeight - kDividerHeight) / 2, 1,
                                 kDividerHeight);
            divider->show();
        }
        label->setGeometry(x, line, width, kLineHeight);
        x += width + gap;
        right = std::max(right, x - gap);
        ++onLine;
    }
    resize(std::max(right, 1), line + kLineHeight);
}

void StatusGroup::labelClicked(ui::Label* label) {
    if (delegate_ != nullptr && label != nullptr && !label->text().isEmpty())
        delegate_->itemClicked(label->text(), texts_[0]);
}

bool StatusGroup::eventFilter(QObject* watched, QEvent* event) {
    // Only a left click on a label counts; other buttons pass through.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        for (ui::Label* label : labels_)
            if (label == watched) {
                labelClicked(label);
                return true;
            }
    return QWidget::eventFilter(watched, event);
}

}  // namespace harbrix
