// The header menu of a launched controller: its keyboard mark, the keys and clicks the
// application routes to it while it is open, what goes through to the window, and the
// window and menu events that close it.
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QWindow>

#include "ShellHarness.h"
#include "shell/Application.h"
#include "shell/Background.h"
#include "shell/MenuClosingEvents.h"
#include "shell/MenuItem.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"

using namespace harbrix;

namespace {

// Counts the key presses of one key that reach a widget.
class KeySpy : public QObject {
  public:
    KeySpy(QWidget* watched, int key) : key_(key) { watched->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key_)
            ++count;
        return QObject::eventFilter(watched, event);
    }

  private:
    int key_;
};

QMessageBox* aboutBox(AppDelegate& controller) {
    return controller.window()->findChild<QMessageBox*>(QStringLiteral("about"));
}

void deliver(AppDelegate& controller, const MenuClosingEvent& closing) {
    QWidget* window = controller.window();
    switch (closing.type) {
        case QEvent::Show:
        case QEvent::Hide: {
            QMenu menu;
            QEvent event(closing.type);
            QCoreApplication::sendEvent(&menu, &event);
            return;
        }
        case QEvent::Expose: {
            QExposeEvent event{QRegion(0, 0, 10, 10)};
            QCoreApplication::sendEvent(window->windowHandle(), &event);
            return;
        }
        case QEvent::WindowStateChange: {
            QWindowStateChangeEvent event(Qt::WindowNoState);
            QCoreApplication::sendEvent(window, &event);
            return;
        }
        case QEvent::Move: {
            QMoveEvent event(window->pos(), window->pos());
            QCoreApplication::sendEvent(window, &event);
            return;
        }
        case QEvent::Resize: {
            QResizeEvent event(window->size(), window->size());
            QCoreApplication::sendEvent(window, &event);
            return;
        }
        default: {
            QEvent event(closing.type);
            QCoreApplication::sendEvent(window, &event);
            return;
        }
    }
}

}  // namespace

class HeaderMenuQtTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    void menuKeysMoveTheMarkAndChoose() {
        auto controller = test::launchWithoutDiscovery();
        Menu* menu = controller->header().menu();
        const auto marked = [menu]() -> QString {
            for (MenuItem* item : {menu->about(), menu->software(), menu->website()})
                if (item->hovered()) return item->title();
            return QStringLiteral("none");
        };
        const QString about = menu->about()->title(), software = menu->software()->title(),
                      website = menu->website()->title();
        const struct {
            std::vector<Qt::Key> keys;
            QString result;
        } cases[] = {
            {{Qt::Key_Up}, website},
            {{Qt::Key_Up, Qt::Key_Up}, software},
            {{Qt::Key_Up, Qt::Key_Up, Qt::Key_Left, Qt::Key_Up}, about},
            {{Qt::Key_Down}, about},
            {{Qt::Key_Down, Qt::Key_Right}, software},
            {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, website},
            {{Qt::Key_Up, Qt::Key_Down}, website},
        };
        for (const auto& c : cases) {
            controller->header().openMenu();
            QVERIFY(controller->header().menuOpen());
            QCOMPARE(marked(), QStringLiteral("none"));
            for (Qt::Key key : c.keys) QTest::keyClick(menu, key);
            QCOMPARE(marked(), c.result);
            QTest::keyClick(menu, Qt::Key_Escape);
            QVERIFY(!controller->header().menuOpen());
            QVERIFY(controller->header().menuButton()->isVisible());
            QVERIFY(!Shield::shieldsUp());
        }

        // Return runs the marked item.
        controller->header().openMenu();
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        QVERIFY(!controller->header().menuOpen());
        QVERIFY(aboutBox(*controller) != nullptr);
        aboutBox(*controller)->close();
    }

    void menuLetsOtherKeysAndOutsideClicksThrough() {
        auto controller = test::launchWithoutDiscovery();
        Window* window = controller->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        KeySpy keys(window, Qt::Key_A);
        controller->header().openMenu();
        QTest::keyClick(controller->header().menu(), Qt::Key_A);
        QCOMPARE(keys.count, 1);
        QVERIFY(controller->header().menuOpen());

        // A click on the menu leaves it open; one outside closes it.
        const QPoint onMenu = controller->header().menu()->mapTo(
            window, controller->header().menu()->hamburger()->geometry().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, onMenu);
        QVERIFY(controller->header().menuOpen());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(300, 400));
        QVERIFY(!controller->header().menuOpen());

        // Closed, the arrow keys are not the menu's.
        KeySpy arrows(window, Qt::Key_Up);
        controller->window()->contentView()->setFocus();
        QTest::keyClick(controller->window()->contentView(), Qt::Key_Up);
        QCOMPARE(arrows.count, 1);
    }

    void windowEventsCloseTheMenu() {
        auto controller = test::launchWithoutDiscovery();
        QVERIFY(QTest::qWaitForWindowExposed(controller->window()));
        QCOMPARE(menuClosingEvents().size(), std::size_t(15));
        for (const MenuClosingEvent& closing : menuClosingEvents()) {
            controller->header().openMenu();
            QVERIFY(controller->header().menuOpen());
            deliver(*controller, closing);
            QVERIFY2(!controller->header().menuOpen(), closing.notification);
        }
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    HeaderMenuQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HeaderMenuQtTest.moc"
