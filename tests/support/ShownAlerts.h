// Answers the window's questions the way a user does: finds the alert that is shown, then
// clicks one of its buttons or presses a key on it. Nothing here skips the alert itself.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "ui/Alert.h"

namespace harbrix::test {

// The alert shown now, or null.
inline ui::Alert* shownAlert() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* alert = qobject_cast<ui::Alert*>(window); alert != nullptr && alert->isVisible())
            return alert;
    return nullptr;
}

// The alert once one is shown; null when none comes within the time.
inline ui::Alert* waitForAlert(int timeoutMs = 5000) {
    ui::Alert* alert = nullptr;
    return QTest::qWaitFor([&] { return (alert = shownAlert()) != nullptr; }, timeoutMs) ? alert
                                                                                         : nullptr;
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

}  // namespace harbrix::test
