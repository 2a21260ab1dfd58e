// The shared rename field.
#include "transfers/SlotField.h"

#include <QKeyEvent>

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
    hide();
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
            QLineEdit::keyPressEvent(event);
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
