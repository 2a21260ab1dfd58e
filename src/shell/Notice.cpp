// The screens' one-line notice.
#include "shell/Notice.h"

#include <QAccessible>
#include <QFontMetrics>

#include <algorithm>

namespace harbrix {
namespace {

// A warm amber that reads on the dark screens without looking like an alarm.
const QColor kNoticeColor(0xFF, 0xB3, 0x4D);

}  // namespace

Notice::Notice(QWidget* parent)
    : ui::Label(QString(), ui::fonts::Weight::Medium, 12, kNoticeColor, parent) {
    setObjectName(QStringLiteral("notice"));
    setAccessibleName(QString());
    setTextInteractionFlags(Qt::NoTextInteraction);
    hide();
}

void Notice::post(const QString& text) {
    text_ = text.simplified();
    if (text_.isEmpty()) {
        dismiss();
        return;
    }
    setToolTip(text_);
    setAccessibleName(text_);
    layOut();
    show();
    raise();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    emit posted(text_);
}

void Notice::dismiss() {
    if (text_.isEmpty() && isHidden()) return;
    text_.clear();
    setText(QString());
    setToolTip(QString());
    setAccessibleName(QString());
    hide();
}

void Notice::resizeEvent(QResizeEvent* event) {
    ui::Label::resizeEvent(event);
    layOut();
}

void Notice::layOut() {
    setText(fontMetrics().elidedText(text_, Qt::ElideRight, std::max(0, width())));
}

}  // namespace harbrix
