// What the window tests share: screenshots saved under build/screenshots/FOLDER/, and waits for
// the main rail and a pedal's queue that end on a condition, never after a fixed time.
#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QTest>
#include <QWidget>

#include "link/Rails.h"

namespace harbrix::test {

// Saves `image` as build/screenshots/FOLDER/NAME.png; false when it cannot be written.
inline bool saveShot(const QImage& image, const QString& folder, const QString& name) {
    const QString shots = QStringLiteral(HARBRIX_TEST_BIN_DIR "/../screenshots/") + folder;
    QDir().mkpath(shots);
    return image.save(shots + "/" + name + ".png");
}

inline bool saveShot(QWidget* widget, const QString& folder, const QString& name) {
    return saveShot(widget->grab().toImage(), folder, name);
}

// Everything posted to the main rail before this call has run: a marker posted behind it has.
inline bool mainRailPassed(int timeoutMs = 10000) {
    auto passed = std::make_shared<bool>(false);
    rail(Rails::main(), [passed] { *passed = true; });
    return QTest::qWaitFor([passed] { return *passed; }, timeoutMs);
}

// Everything posted so far to the pedal's queue has run, and so has what that posted back to
// the main rail, `rounds` times over (a block on the main rail may post to the queue again).
inline bool queueAndMainRailPassed(const QueueRef& queue, int rounds = 1) {
    for (int round = 0; round < rounds; ++round) {
        railSync(queue, [] {});
        if (!mainRailPassed()) return false;
    }
    return true;
}

}  // namespace harbrix::test
