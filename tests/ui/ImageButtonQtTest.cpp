// Image buttons pick the image of their state, and a layout's push button is replaced in
// place with its connections kept.
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "ui/ImageButton.h"

using harbrix::ui::ImageButton;
using harbrix::ui::ToggleButton;

class ImageButtonQtTest : public QObject {
    Q_OBJECT
  private slots:
    void pushButtonStates() {
        ImageButton button(QStringLiteral("TRANSFERS_delete"));
        QCOMPARE(button.currentImageName(), QStringLiteral("TRANSFERS_delete"));
        button.setHovered(true);
        QCOMPARE(button.currentImageName(), QStringLiteral("TRANSFERS_delete_hover"));
        button.setDown(true);
        QCOMPARE(button.currentImageName(), QStringLiteral("TRANSFERS_delete_pressed"));
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(button.currentImageName(), QStringLiteral("TRANSFERS_delete_disabled"));
    }

    void buttonWithoutDisabledImageShowsItsPlainImage() {
        ImageButton logo(QStringLiteral("HEADER_qor_logo"));
        logo.setEnabled(false);
        QCOMPARE(logo.currentImageName(), QStringLiteral("HEADER_qor_logo"));
    }

    void disabledLooksDifferent() {
        ImageButton button(QStringLiteral("EDITOR_save"));
        button.resize(button.sizeHint());
        const QImage enabled = button.grab().toImage();
        button.setEnabled(false);
        QVERIFY(button.grab().toImage() != enabled);
    }

    void toggleButtonStates() {
        ToggleButton tab(QStringLiteral("HEADER_tab_editor"));
        QVERIFY(tab.isCheckable());
        QVERIFY(!tab.isChecked());
        QCOMPARE(tab.currentImageName(), QStringLiteral("HEADER_tab_editor_deselected"));
        tab.setHovered(true);
        QCOMPARE(tab.currentImageName(), QStringLiteral("HEADER_tab_editor_hover"));
        tab.setChecked(true);
        QCOMPARE(tab.currentImageName(), QStringLiteral("HEADER_tab_editor_selected"));
        tab.setDown(true);
        QCOMPARE(tab.currentImageName(), QStringLiteral("HEADER_tab_editor_pressed"));
    }

    void cutName_data() {
        QTest::addColumn<QString>("layoutName");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("base");
        QTest::newRow("state word cut") << "TRANSFERS_delete_normal"
                                        << ""
                                        << "TRANSFERS_delete";
        QTest::newRow("no image under the cut") << "TRANSFERS_delete"
                                                << ""
                                                << "TRANSFERS_delete";
        QTest::newRow("toggle") << "HEADER_tab_editor_deselected"
                                << "_selected"
                                << "HEADER_tab_editor";
        QTest::newRow("no underscore") << "logo"
                                       << ""
                                       << "logo";
    }
    void cutName() {
        QFETCH(QString, layoutName);
        QFETCH(QString, probe);
        QFETCH(QString, base);
        QCOMPARE(ImageButton::cutName(layoutName, probe), base);
    }

    void replacementKeepsPlaceStateAndConnections() {
        QWidget screen;
        auto* column = new QVBoxLayout(&screen);
        auto* above = new QPushButton(QStringLiteral("above"));
        auto* old = new QPushButton(QStringLiteral("Delete"));
        old->setProperty(ImageButton::kImageProperty, QStringLiteral("TRANSFERS_delete_normal"));
        old->setToolTip(QStringLiteral("Delete the selected presets"));
        old->setObjectName(QStringLiteral("deleteButton"));
        column->addWidget(above);
        column->addWidget(old);
        int clicks = 0;
        QObject::connect(old, &QPushButton::clicked, [&] { ++clicks; });
        screen.show();

        ImageButton* button = ImageButton::replace(old);
        QCOMPARE(button->baseName(), QStringLiteral("TRANSFERS_delete"));
        QCOMPARE(column->indexOf(button), 1);
        QCOMPARE(column->indexOf(old), -1);
        QVERIFY(old->isHidden());
        QCOMPARE(button->objectName(), QStringLiteral("deleteButton"));
        QCOMPARE(button->toolTip(), QStringLiteral("Delete the selected presets"));
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }

    void replacementKeepsHiddenAndDisabled() {
        QWidget screen;
        auto* old = new QPushButton(&screen);
        old->setProperty(ImageButton::kImageProperty,
                         QStringLiteral("TRANSFERS_per_page_20_deselected"));
        old->setGeometry(10, 20, 42, 24);
        old->setToolTip(QStringLiteral("twenty"));
        old->setEnabled(false);
        old->hide();
        ToggleButton* button = ToggleButton::replace(old, false);
        QCOMPARE(button->baseName(), QStringLiteral("TRANSFERS_per_page_20"));
        QCOMPARE(button->parentWidget(), &screen);
        QCOMPARE(button->geometry(), QRect(10, 20, 42, 24));
        QVERIFY(button->isHidden());
        QVERIFY(!button->isEnabled());
        QVERIFY(button->toolTip().isEmpty());
        QVERIFY(!button->isChecked());
    }
};

QTEST_MAIN(ImageButtonQtTest)
#include "ImageButtonQtTest.moc"
