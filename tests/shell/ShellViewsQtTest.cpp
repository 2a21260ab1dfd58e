// The shell's views on their own: shields keep clicks from what lies below them, the header
// menu's hit test, hover and clicks, the device chooser's layout rules, and the status
// panel's highlights and long and short texts.
#include <QAccessible>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

#include "devices/Preset.h"
#include "link/QORUARTDevice.h"
#include "shell/MIV3Status.h"
#include "shell/Menu.h"
#include "shell/MenuItem.h"
#include "shell/Notice.h"
#include "shell/Selector.h"
#include "shell/Shield.h"
#include "ui/Animation.h"
#include "ui/Label.h"

using namespace harbrix;

namespace {

DeviceRef pedal(const std::string& model, const std::string& serial) {
    return std::make_shared<QORUARTDevice>("cu.usbserial-" + serial, model, serial);
}

struct ChooserDelegate : SelectorDelegate {
    QStringList chosen;
    int closes = 0;
    void deviceSelected(const QString& serial) override { chosen << serial; }
    void closeSelector() override { ++closes; }
};

struct PanelDelegate : StatusDelegate {
    std::shared_ptr<Preset> preset;
    QStringList clicks;
    int compressions = 0;
    std::shared_ptr<Preset> selectedPreset() override { return preset; }
    void itemClicked(const QString& item, const QString& group) override {
        clicks << group + "/" + item;
    }
    void statusDidCompress(Status*) override { ++compressions; }
};

std::shared_ptr<Preset> presetWith(std::initializer_list<const char*> switchesOn) {
    auto preset = Preset::presetWithSerialized(Bytes(104, 0));
    for (const char* key : switchesOn) preset->setValue(key, 1);
    return preset;
}

}  // namespace

class ShellViewsQtTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { ui::animation::setInstant(true); }

    void shieldsRaisedAndEndedInTurnKeepClicksFromTheViewsBelow() {
        QWidget window;
        window.resize(300, 200);
        auto* button = new QPushButton(QStringLiteral("below"), &window);
        button->setGeometry(10, 10, 100, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy below(button, &QPushButton::clicked);
        int shieldClicks = 0;

        Shield* first = Shield::beginShieldedModalForWindow(&window, [&] { ++shieldClicks; });
        Shield* second = Shield::beginShieldedModalForWindow(&window, QColor(0, 0, 0, 80));
        QVERIFY(first && second);
        QVERIFY(Shield::shieldsUp());
        QCOMPARE(second->geometry(), window.rect());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(below.count(), 0);
        QCOMPARE(shieldClicks, 0);  // the top shield has no action

        second->end();
        QVERIFY(Shield::shieldsUp());
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, QPoint(40, 30));
        QTest::mouseClick(window.windowHandle(), Qt::MiddleButton, {}, QPoint(40, 30));
        QCOMPARE(shieldClicks, 0);  // only the left button clicks a shield
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(below.count(), 0);
        QCOMPARE(shieldClicks, 1);

        first->end();
        QVERIFY(!Shield::shieldsUp());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(below.count(), 1);
        QVERIFY(Shield::beginShieldedModalForWindow(nullptr) == nullptr);
    }

    void shieldFollowsTheWindowSize() {
        QWidget window;
        window.resize(300, 200);
        window.show();
        Shield* shield = Shield::beginShieldedModalForWindow(&window);
        window.resize(500, 400);
        QCOMPARE(shield->size(), QSize(500, 400));
        shield->end();
    }

    void menuItemsHitTestHoverAndClicks() {
        QWidget window;
        window.resize(400, 300);
        Menu* menu = Menu::menu(&window);
        QVERIFY(menu != nullptr);
        menu->move(100, 50);
        window.show();
        QCOMPARE(menu->about()->title(), QStringLiteral("About..."));
        QCOMPARE(menu->software()->title(), QStringLiteral("Software Update..."));
        QCOMPARE(menu->website()->title(), QString::fromLatin1(Menu::kWebsiteTitle));

        const QPoint body = menu->mapTo(&window, menu->body()->geometry().center());
        const QPoint hamburger = menu->mapTo(&window, menu->hamburger()->geometry().center());
        const QPoint mark = menu->mapTo(&window, menu->registration()->geometry().center());
        QVERIFY(menu->hitTest(body));
        QVERIFY(menu->hitTest(hamburger));
        QVERIFY(!menu->hitTest(mark));
        QVERIFY(!menu->hitTest(QPoint(5, 5)));

        menu->itemEntered(menu->software());
        QVERIFY(menu->software()->hovered());
        menu->itemEntered(menu->website());
        QVERIFY(!menu->software()->hovered());
        QVERIFY(menu->website()->hovered());
        menu->itemExited(menu->website());
        QVERIFY(!menu->website()->hovered());

        QSignalSpy software(menu, &Menu::softwareChosen);
        QSignalSpy about(menu, &Menu::aboutChosen);
        MenuItemView* view = menu->software()->view();
        QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
        QTest::mouseClick(view, Qt::MiddleButton, {}, view->rect().center());
        QCOMPARE(software.count(), 0);
        QTest::mouseClick(view, Qt::LeftButton, {}, view->rect().center());
        QCOMPARE(software.count(), 1);
        // Released outside the item: no choice.
        QTest::mousePress(menu->about()->view(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(menu->about()->view(), Qt::LeftButton, {}, QPoint(-20, 5));
        QCOMPARE(about.count(), 0);
    }

    void chooserLaysOutEachPedalAndStopsAtOneWithoutCaption() {
        Selector chooser;
        chooser.refresh({pedal("MIV3", "A1"), pedal("NAX3", "B2")}, 1);
        QCOMPARE(chooser.devices().size(), std::size_t(2));
        QCOMPARE(chooser.current(), std::size_t(1));
        QCOMPARE(chooser.devices()[0].nickname, QStringLiteral("MIV III"));
        QCOMPARE(chooser.devices()[1].nickname, QStringLiteral("NAX III"));
        QCOMPARE(chooser.devices()[1].serial, QStringLiteral("B2"));
        QCOMPARE(chooser.width(), 2 * Selector::kMargin + 2 * 96);
        QCOMPARE(chooser.buttons().size(), std::size_t(2));

        // An unknown model: the pedals before it are placed, the list is not taken.
        chooser.refresh({pedal("MIV3", "C3"), pedal("XYZ9", "D4"), pedal("NAX3", "E5")}, 0);
        QCOMPARE(chooser.buttons().size(), std::size_t(1));
        QCOMPARE(chooser.devices().size(), std::size_t(2));
        QCOMPARE(chooser.devices()[0].serial, QStringLiteral("A1"));
        QCOMPARE(chooser.current(), std::size_t(1));

        // Nothing for an empty list or an index past its end, nor for a pedal without serial.
        chooser.refresh({pedal("MIV3", "A1"), pedal("NAX3", "B2")}, 0);
        chooser.refresh({}, 0);
        chooser.refresh({pedal("MIV3", "F6")}, 1);
        chooser.refresh({pedal("MIV3", "")}, 0);
        QCOMPARE(chooser.devices().size(), std::size_t(2));
        QCOMPARE(chooser.current(), std::size_t(0));
    }

    void chooserClickDisablesItsButtonsUntilOpenedAgain() {
        QWidget window;
        window.resize(600, 400);
        Selector chooser(&window);
        ChooserDelegate delegate;
        chooser.setDelegate(&delegate);
        chooser.refresh({pedal("MIV3", "A1"), pedal("NAX3", "B2")}, 0);
        window.show();
        chooser.open();
        QVERIFY(chooser.isVisible());
        QAbstractButton* nax = chooser.buttons()[1];
        QTest::mouseClick(nax, Qt::LeftButton, {}, nax->rect().center());
        QCOMPARE(delegate.chosen, QStringList{QStringLiteral("B2")});
        QCOMPARE(chooser.current(), std::size_t(1));
        for (QAbstractButton* button : chooser.buttons()) QVERIFY(!button->isEnabled());
        chooser.close();
        chooser.open();
        for (QAbstractButton* button : chooser.buttons()) QVERIFY(button->isEnabled());

        QTest::keyClick(&chooser, Qt::Key_A);
        QCOMPARE(delegate.closes, 0);
        QTest::keyClick(&chooser, Qt::Key_Escape);
        QCOMPARE(delegate.closes, 1);
    }

    void groupTextsHaveLongAndShortForms() {
        StatusGroup group;
        const struct {
            const char* text;
            const char* wide;
            const char* compressed;
        } cases[] = {{"LEFT,L", "LEFT", "L"}, {"FOCUS", "FOCUS", "FOCUS"}, {",X", "", "X"}};
        for (const auto& c : cases) {
            group.setCompressed(false);
            QCOMPARE(group.parsedString(c.text), QString::fromLatin1(c.wide));
            group.setCompressed(true);
            QCOMPARE(group.parsedString(c.text), QString::fromLatin1(c.compressed));
        }
        group.setCompressed(false);
        group.setTitle(QStringLiteral("OUTPUT"));
        group.setItem1(QStringLiteral("LEFT,L"));
        QCOMPARE(group.label(1)->text(), QStringLiteral("LEFT"));
        group.setCompressed(true);
        QCOMPARE(group.label(1)->text(), QStringLiteral("L"));
        QCOMPARE(group.label(0)->text(), QStringLiteral("OUTPUT"));
    }

    void highlightedTextsAreBrightAndMedium() {
        StatusGroup group;
        group.setTitle(QStringLiteral("DRY"));
        group.setItem1(QStringLiteral("ATTACK"));
        group.setItem2(QStringLiteral("DETUNE"));
        group.setHighlights(StatusGroup::kTitle | StatusGroup::kItem2);
        QCOMPARE(group.label(0)->color().alpha(), 255);
        QCOMPARE(group.label(1)->color().alpha(), 128);
        QCOMPARE(group.label(2)->color().alpha(), 255);
        QVERIFY(group.label(2)->font().weight() > group.label(1)->font().weight());
    }

    void statusPanelHighlightsFollowThePreset() {
        MIV3Status* panel = MIV3Status::load();
        QVERIFY(panel != nullptr);
        QVERIFY(panel->title()->text().isEmpty());
        PanelDelegate delegate;
        panel->setDelegate(&delegate);

        const struct {
            std::initializer_list<const char*> on;
            unsigned output, exp, focus, dry;
        } cases[] = {
            {{}, 0, 0, 0, 0},
            {{"exp"}, 0, 48, 0, 0},
            {{"left", "direct"}, 32 | 16 | 4, 0, 0, 0},
            {{"right", "focus", "dryLPFilter"}, 32 | 8, 0, 16, 32 | 8},
            {{"dryAttack", "dryDetune", "exp", "focus"}, 0, 48, 16, 32 | 16 | 4},
        };
        for (const auto& c : cases) {
            delegate.preset = presetWith(c.on);
            panel->sync();
            QCOMPARE(panel->outputGroup()->highlights(), c.output);
            QCOMPARE(panel->EXPGroup()->highlights(), c.exp);
            QCOMPARE(panel->focusGroup()->highlights(), c.focus);
            QCOMPARE(panel->dryGroup()->highlights(), c.dry);
        }
        // No preset: the highlights stay.
        delegate.preset = nullptr;
        panel->sync();
        QCOMPARE(panel->EXPGroup()->highlights(), 48u);
        delete panel;
    }

    void compressingNarrowsThePanelAndShortensItsTexts() {
        QWidget window;
        window.resize(1100, 300);
        auto* container = new QWidget(&window);
        container->setGeometry(200, 20, 700, 80);
        MIV3Status* panel = MIV3Status::load(container);
        PanelDelegate delegate;
        panel->setDelegate(&delegate);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(panel->initialMetricsRecorded());
        QCOMPARE(panel->initialX(), 200);
        const int wide = panel->width();

        QTest::mouseClick(panel->compressButton(), Qt::LeftButton);
        QVERIFY(panel->compressed());
        QVERIFY(panel->width() < wide);
        QCOMPARE(container->x(), 814);
        QVERIFY(!panel->compressButton()->isVisible());
        QCOMPARE(delegate.compressions, 1);
        QCOMPARE(panel->outputGroup()->label(1)->text(), QStringLiteral("L"));
        QCOMPARE(panel->outputGroup()->pos().x(), panel->outputGroup()->compressedX());

        panel->setCompressed(false);
        QCOMPARE(panel->width(), wide);
        QCOMPARE(container->x(), 200);
        QCOMPARE(panel->outputGroup()->label(1)->text(), QStringLiteral("Left"));

        // Right and middle clicks are no clicks.
        for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton})
            QTest::mouseClick(panel->dryGroup()->label(2), button);
        QCOMPARE(delegate.clicks, QStringList{QStringLiteral("DRY/LP Filter")});
    }

    // A posted notice is an alert to screen readers: its role says so, and posting it raises
    // an alert event with its text, so the text is announced.
    void noticeIsAnnouncedAsAnAlert() {
        static std::vector<std::pair<QObject*, QAccessible::Event>> events;
        QAccessible::installUpdateHandler(
            [](QAccessibleEvent* event) { events.emplace_back(event->object(), event->type()); });
        QAccessible::setActive(true);
        const bool accessible = QAccessible::isActive();
        QWidget screen;
        Notice notice(&screen);
        notice.resize(300, 20);
        screen.show();
        notice.post(QStringLiteral("Slot 12 could not be written."));
        QAccessible::installUpdateHandler(nullptr);
        QAccessible::setActive(false);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&notice);
        QVERIFY(face != nullptr);
        QCOMPARE(face->role(), QAccessible::AlertMessage);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Slot 12 could not be written."));
        // Events flow only where the platform has a screen-reader bridge.
        if (!accessible)
            QSKIP("no accessibility bridge on this platform: the alert event is unseen");
        QVERIFY(std::find(events.begin(), events.end(),
                          std::pair<QObject*, QAccessible::Event>(&notice, QAccessible::Alert)) !=
                events.end());
    }
};

QTEST_MAIN(ShellViewsQtTest)
#include "ShellViewsQtTest.moc"
