// The shared rename field.
#include "transfers/SlotField.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "devices/Preset.h"

namespace harbrix {

SlotField::SlotField(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAccessibleName(QStringLiteral("Preset Name"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x98, 0xD7, 0xFE));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    setPalette(palette);
    setAttribute(Qt::WA_TranslucentBackground);
    setMaxLength(static_cast<int>(Preset::kNameLength));
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{F888}]*")), this));
    connect(this, &QLineEdit::inputRejected, this, [this] {
        // Past the limit, or a character the pedal cannot store.
        const bool full = text().size() >= maxLength() && !hasSelectedText();
        emit refused(refusal(typed_, full));
    });
    hide();
}

QString SlotField::refusal(const QString& typed, bool full) {
    for (const QChar c : typed) {
        const bool storable = (c.unicode() >= 0x20 && c.unicode() < 0x7F) || c.unicode() == 0xF888;
        if (!storable)
            return QStringLiteral(
                       "Preset names hold only ASCII letters, digits and signs; \"%1\" cannot be "
                       "stored.")
                .arg(c.isPrint() ? QString(c)
                                 : QStringLiteral("U+%1")
                                       .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                       .toUpper());
    }
    if (full) return QStringLiteral("A preset name holds at most 24 characters.");
    return QStringLiteral("Preset names hold only ASCII letters, digits and signs.");
}

void SlotField::begin(const QString& text) {
    discard_ = false;
    editing_ = true;
    setText(text);
    show();
    raise();
    selectAll();
    setFocus(Qt::OtherFocusReason);
}

void SlotField::end() {
    if (!editing_) return;
    editing_ = false;
    hide();
    emit editingEnded();
}

void SlotField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            // Handled on release; the screen must not take it as its own Escape.
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            end();
            return;
        default:
            typed_ = event->matches(QKeySequence::Paste) ? QGuiApplication::clipboard()->text()
                                                         : event->text();
            QLineEdit::keyPressEvent(event);
            typed_.clear();
    }
}

void SlotField::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        event->accept();
        discard_ = true;
        end();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

void SlotField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    end();
}

}  // namespace harbrix
