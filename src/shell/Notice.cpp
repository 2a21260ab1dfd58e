// The screens' one-line notice.
#include "shell/Notice.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>

#include <algorithm>

namespace harbrix {
namespace {

// A warm amber that reads on the dark screens without looking like an alarm.
const QColor kNoticeColor(0xFF, 0xB3, 0x4D);

// Screen readers meet a notice as an alert, and announce each one as it is posted.
QAccessibleInterface* alertInterface(const QString&, QObject* object) {
    auto* notice = qobject_cast<Notice*>(object);
    return notice != nullptr ? new QAccessibleWidget(notice, QAccessible::AlertMessage) : nullptr;
}

// Installed with the program: a widget's interface is made once, when it is first asked
// for, which may be while a notice is still being built.
[[maybe_unused]] const bool kAlertInstalled = [] {
    QAccessible::installFactory(alertInterface);
    return true;
}();

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
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
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
