// Colours written and read as "#RRGGBB".
#include <QTest>

#include "ui/Colors.h"

using namespace harbrix::ui;

class ColorsQtTest : public QObject {
    Q_OBJECT
  private slots:
    void writtenInUpperCase() {
        QCOMPARE(hexString(rgb(colors::kYellow)), QStringLiteral("#FDEE1B"));
        QCOMPARE(hexString(rgb(colors::kSelectionBlue)), QStringLiteral("#98D7FE"));
        QCOMPARE(hexString(QColor(1, 2, 3, 40)), QStringLiteral("#010203"));
    }

    void read_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<uint>("value");
        QTest::newRow("hash upper") << "#FDEE1B" << true << 0xFDEE1Bu;
        QTest::newRow("hash lower") << "#98d7fe" << true << 0x98D7FEu;
        QTest::newRow("no hash") << "000000" << true << 0u;
        QTest::newRow("empty") << "" << false << 0u;
        QTest::newRow("too short") << "#12345" << false << 0u;
        QTest::newRow("too long") << "#1234567" << false << 0u;
        QTest::newRow("not hex") << "#12G456" << false << 0u;
        QTest::newRow("sign") << "+12345" << false << 0u;
        QTest::newRow("prefix") << "0x1234" << false << 0u;
    }
    void read() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(uint, value);
        const auto color = colorFromHex(text);
        QCOMPARE(color.has_value(), valid);
        if (valid) QCOMPARE(color->rgb() & 0xFFFFFFu, value);
    }

    void roundTrip() {
        for (const uint value : {0x000000u, 0xFFFFFFu, 0x123456u, colors::kYellow})
            QCOMPARE(colorFromHex(hexString(rgb(value)))->rgb() & 0xFFFFFFu, value);
    }
};

QTEST_MAIN(ColorsQtTest)
#include "ColorsQtTest.moc"
