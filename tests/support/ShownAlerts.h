// Answers the window's questions the way a user does: finds the alert or the file chooser
// that is shown, then clicks one of its buttons, presses a key on it or types into it.
// Nothing here skips the alert or the chooser itself.
#pragma once

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "ui/Alert.h"

namespace harbrix::test {

// The dialog of that class shown now, or null.
template <typename Dialog>
Dialog* shown() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<Dialog*>(window); dialog != nullptr && dialog->isVisible())
            return dialog;
    return nullptr;
}

// The alert shown now, or null.
inline ui::Alert* shownAlert() {
    return shown<ui::Alert>();
}

// The dialog once one is shown; null when none comes within the time.
template <typename Dialog = ui::Alert>
Dialog* waitFor(int timeoutMs = 5000) {
    Dialog* dialog = nullptr;
    return QTest::qWaitFor([&] { return (dialog = shown<Dialog>()) != nullptr; }, timeoutMs)
               ? dialog
               : nullptr;
}

inline ui::Alert* waitForAlert(int timeoutMs = 5000) {
    return waitFor<ui::Alert>(timeoutMs);
}

// Clicks the button titled `title` on the alert shown now, waiting for one to be shown.
// False when no alert comes or it has no such button.
inline bool answerAlert(const QString& title, int timeoutMs = 5000) {
    ui::Alert* alert = waitForAlert(timeoutMs);
    if (alert == nullptr) return false;
    for (auto* button : alert->findChildren<QPushButton*>()) {
        if (button->text() == title && button->isVisible()) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

// Presses a key (Escape, Return) on the alert shown now, waiting for one to be shown.
inline bool pressOnAlert(Qt::Key key, int timeoutMs = 5000) {
    ui::Alert* alert = waitForAlert(timeoutMs);
    if (alert == nullptr) return false;
    QTest::keyClick(alert, key);
    return true;
}

// Answers the file chooser shown now, waiting for one: puts `path` into its name field, as
// typing or pasting it does, and clicks its confirming button, or with an empty path clicks Cancel.
// False when no chooser comes or it did not close.
inline bool answerFileDialog(const QString& path, int timeoutMs = 5000) {
    auto* dialog = waitFor<QFileDialog>(timeoutMs);
    auto* field = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    auto* box = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
    if (field == nullptr || box == nullptr) return false;
    QPushButton* button = nullptr;
    if (path.isEmpty()) {
        button = box->button(QDialogButtonBox::Cancel);
    } else {
        field->setText(path);
        for (QAbstractButton* each : box->buttons())
            if (box->buttonRole(each) == QDialogButtonBox::AcceptRole)
                button = qobject_cast<QPushButton*>(each);
    }
    if (button == nullptr || !button->isEnabled()) return false;
    const QPointer<QFileDialog> open = dialog;
    QTest::mouseClick(button, Qt::LeftButton);
    return open.isNull() || !open->isVisible();
}

// The window with the alert drawn over it, the window dimmed behind it, as it shows.
inline QImage windowWithAlert(QWidget* window, QWidget* alert) {
    QImage image = window->grab().toImage();
    const QPixmap question = alert->grab();
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(0, 0, 0, 90));
    painter.drawPixmap(
        QPointF((window->width() - question.deviceIndependentSize().width()) / 2, 160), question);
    return image;
}

}  // namespace harbrix::test
