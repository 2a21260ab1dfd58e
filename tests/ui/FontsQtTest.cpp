// Fira Sans by weight, and the fallback to the system sans-serif with one log line when the
// font files are not there.
#include <QFontDatabase>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

#include "platform/Bundle.h"
#include "platform/Log.h"
#include "ui/Fonts.h"

namespace fonts = harbrix::ui::fonts;

class FontsQtTest : public QObject {
    Q_OBJECT
  private slots:
    // Runs first: nothing is registered yet.
    void missingFilesFallBackWithOneLogLine() {
        QTemporaryDir empty;
        std::vector<std::string> lines;
        harbrix::LogCapture capture([&](const std::string& line) { lines.push_back(line); });
        QVERIFY(!fonts::install(empty.path()));
        QVERIFY(!fonts::install(empty.path()));
        QCOMPARE(lines.size(), std::size_t(1));
        QVERIFY(lines[0].find("system sans-serif") != std::string::npos);
        const QFont medium = fonts::font(fonts::Weight::Medium, 12);
        QCOMPARE(medium.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
        QCOMPARE(medium.weight(), QFont::Medium);
        QCOMPARE(medium.pixelSize(), 12);
    }

    void weightsByName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("weight");
        QTest::addColumn<bool>("italic");
        QTest::newRow("regular") << "FiraSans-Regular" << int(QFont::Normal) << false;
        QTest::newRow("medium") << "FiraSans-Medium" << int(QFont::Medium) << false;
        QTest::newRow("medium italic") << "FiraSans-MediumItalic" << int(QFont::Medium) << true;
        QTest::newRow("bold") << "FiraSans-Bold" << int(QFont::Bold) << false;
        QTest::newRow("unknown") << "FiraSans-Heavy" << int(QFont::Normal) << false;
        QTest::newRow("other family") << "Helvetica" << int(QFont::Normal) << false;
    }
    void weightsByName() {
        QFETCH(QString, name);
        QFETCH(int, weight);
        QFETCH(bool, italic);
        const QFont font = fonts::named(name, 13);
        QCOMPARE(int(font.weight()), weight);
        QCOMPARE(font.italic(), italic);
        QCOMPARE(font.pixelSize(), 13);
    }

    // With the fonts installed at set-up, all four weights register.
    void installedFontsRegister() {
        const auto resources = harbrix::Bundle::resourcesPath();
        const QString folder =
            resources ? QString::fromStdString(*resources) + "/Fonts" : QString();
        if (folder.isEmpty() || !QFile::exists(folder + "/" + fonts::fileName(fonts::Weight::Bold)))
            QSKIP("the fonts are not installed in this build (make fonts)");
        QVERIFY(fonts::install(folder));
        QVERIFY(fonts::installed());
        QVERIFY(
            fonts::font(fonts::Weight::Bold, 12).family().contains(QStringLiteral("Fira Sans")));
        // Every weight draws U+F888, which names show "~" with, as its own tilde.
        for (const auto weight : {fonts::Weight::Regular, fonts::Weight::Medium,
                                  fonts::Weight::MediumItalic, fonts::Weight::Bold}) {
            const QRawFont raw = QRawFont::fromFont(fonts::font(weight, 13));
            const auto glyphs = raw.glyphIndexesForString(QStringLiteral("~\uF888"));
            QCOMPARE(glyphs.size(), 2);
            QVERIFY(glyphs[0] != 0);
            QCOMPARE(glyphs[1], glyphs[0]);
        }
    }
};

QTEST_MAIN(FontsQtTest)
#include "FontsQtTest.moc"
