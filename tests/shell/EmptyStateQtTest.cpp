// The empty state where the pedals' driver is missing, in the real window with the real
// fonts: the two-line message and the install button fit, and a picture of it is saved into
// build/screenshots/shell/ to be looked at.
#include <QDir>
#include <QFontMetrics>
#include <QTest>

#include "ShellHarness.h"
#include "shell/Application.h"
#include "shell/Nothing.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/WindowTests.h"
#include "ui/Animation.h"
#include "ui/Fonts.h"

using namespace harbrix;

namespace {}  // namespace

class EmptyStateQtTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        ui::fonts::install();
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    void theDriverOfferFitsItsLabel_data() {
        QTest::addColumn<QString>("message");
        QTest::newRow("driver missing") << QString::fromLatin1(Nothing::kDriverMissing);
        QTest::newRow("password refused") << QString::fromLatin1(Nothing::kNotAuthorised);
    }
    void theDriverOfferFitsItsLabel() {
        QFETCH(QString, message);
        AppDelegate::Options options;
        options.startDevices = [](DeviceDelegate* delegate) {
            QORUARTDevice::setDelegate(delegate);
            return true;
        };
        options.driver.needsKext = [] { return true; };
        options.driver.launchTolvaneer = [] { return TolvaneStatus::notAuthorised; };
        AppDelegate controller(options);
        controller.applicationDidFinishLaunching();
        QVERIFY(QTest::qWaitForWindowExposed(controller.window()));
        auto* nothing = dynamic_cast<Nothing*>(controller.screens().nothing().get());
        QVERIFY(nothing != nullptr);
        if (message != QString::fromLatin1(Nothing::kDriverMissing)) {
            nothing->launchTolvaneer();
            QTRY_VERIFY(nothing->installButton()->isEnabled());
        }
        ui::Label* label = nothing->message();
        QCOMPARE(label->text(), message);
        QVERIFY(nothing->installButton()->isVisible());

        // Every line of the wrapped text lies inside the label, and the label inside the view.
        QCoreApplication::processEvents();
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(0, 0, label->width(), 10000),
                                               int(label->alignment()) | Qt::TextWordWrap, message);
        QVERIFY2(label->height() >= needed.height(),
                 qPrintable(QStringLiteral("label %1 high, text %2")
                                .arg(label->height())
                                .arg(needed.height())));
        QVERIFY(nothing->view()->rect().contains(label->geometry()));
        QVERIFY(!label->geometry().intersects(nothing->installButton()->geometry()));

        const QString name = message == QString::fromLatin1(Nothing::kDriverMissing)
                                 ? QStringLiteral("nothing-driver")
                                 : QStringLiteral("nothing-driver-refused");
        QVERIFY(test::saveShot(controller.window(), QStringLiteral("shell"), name));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    EmptyStateQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EmptyStateQtTest.moc"
