// Delete, staged exports and import on the Transfers screen against a simulated pedal: the
// delete confirmation and its answers, the refusals while the pedal's presets are being
// refreshed, staged files with the overwrite warning, an export that stops at a refused
// write, files refused at staging, and an import that never replaces a file.
#include <QTest>

#include <filesystem>

#include "TransfersHarness.h"
#include "link/Model.h"
#include "shell/Application.h"
#include "shell/Shield.h"
#include "transfers/FileChooser.h"
#include "ui/Alert.h"

using namespace harbrix;
using test::presetBytes;
using test::TransfersSession;
using Names = std::map<std::size_t, std::string>;

namespace {

const std::map<std::size_t, Bytes> kPresets = {
    {0, presetBytes("Lead", 1)}, {1, presetBytes("Clean", 2)}, {4, presetBytes("Crunch", 3)},
    {6, presetBytes("a~b", 4)},  {7, presetBytes("Lead", 5)},
};

Bytes fileBytes(std::uint32_t product, const Bytes& body) {
    Bytes bytes;
    for (const std::uint32_t word : {std::uint32_t{kPedalVendorId}, product})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

QString writeFile(const test::TempDir& folder, const std::string& name, const Bytes& bytes) {
    test::writeText(folder.file(name), std::string(bytes.begin(), bytes.end()));
    return QString::fromStdString(folder.file(name));
}

// Answers every alert with `answer` and keeps what it was asked.
struct Alerts {
    explicit Alerts(QString reply = ui::Alert::kNo) : answer(std::move(reply)) {
        ui::Alert::setResponder([this](const ui::Alert& alert) {
            headlines << alert.headline();
            finePrints << alert.finePrint();
            buttons = alert.buttonTitles();
            invisibleCancel = alert.invisibleCancel();
            if (!shotName.isEmpty()) {
                QImage window = shotWindow->grab().toImage();
                auto& shown = const_cast<ui::Alert&>(alert);
                shown.adjustSize();
                QPainter painter(&window);
                painter.drawPixmap((window.width() / window.devicePixelRatio() - shown.width()) / 2,
                                   200, shown.grab());
                painter.end();
                test::saveShot(window, shotName);
                shotName.clear();
            }
            return answer;
        });
    }
    ~Alerts() { ui::Alert::setResponder({}); }
    QString answer;
    QStringList headlines;
    QStringList finePrints;
    QStringList buttons;
    bool invisibleCancel = false;
    QString shotName;
    QWidget* shotWindow = nullptr;
};

// Answers the file choosers with the paths given, in turn ("" cancels).
struct Choosers {
    Choosers() {
        FileChooser::setResponder(
            [this](bool) { return answers.isEmpty() ? QString() : answers.takeFirst(); });
    }
    ~Choosers() { FileChooser::setResponder({}); }
    QStringList answers;
};

}  // namespace

class TransfersFilesQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-files"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void deleteAsksFirst() {
        TransfersSession session(pedals.path(), kPresets, {"--error", "ERASE_PRESET@4=5"});
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        Alerts alerts;
        alerts.shotWindow = session.window();
        QTest::mouseClick(session.slot(0)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{0}));

        // "No", and Escape (the invisible Cancel): nothing changes, the selection stays.
        for (const QString& answer : {ui::Alert::kNo, ui::Alert::kCancel}) {
            alerts.answer = answer;
            QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
            QCOMPARE(
                alerts.headlines.last(),
                QStringLiteral("Deleted preset cannot be restored. Would you like to continue?"));
            QCOMPARE(alerts.finePrints.last(), QStringLiteral("Edit > Undo puts the preset back."));
            QCOMPARE(alerts.buttons, (QStringList{"Yes", "No"}));
            QVERIFY(alerts.invisibleCancel);
            QCOMPARE(screen.selected(), (std::set<std::size_t>{0}));
        }
        session.settle();
        QVERIFY(session.received().empty());

        // "Yes" with three selected: the plural, a shield while it runs, one slot refused.
        QTest::mouseClick(screen.selectAllButton(), Qt::LeftButton);
        screen.slot(6)->setSelected(false);
        screen.slot(7)->setSelected(false);
        alerts.answer = ui::Alert::kYes;
        alerts.shotName = QStringLiteral("delete-confirmation");
        QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
        QCOMPARE(alerts.headlines.last(),
                 QStringLiteral("Deleted presets cannot be restored. Would you like to continue?"));
        QCOMPARE(alerts.finePrints.last(), QStringLiteral("Edit > Undo puts the presets back."));
        QVERIFY(screen.deleting());
        QVERIFY(Shield::shieldsUp());
        QVERIFY(screen.selected().empty());
        QVERIFY(!screen.button20()->isEnabled());
        QCOMPARE(screen.statusMessage1()->text(), QStringLiteral("Stored Presets: 0"));
        QTRY_VERIFY(!screen.deleting());
        QVERIFY(!Shield::shieldsUp());
        QCOMPARE(session.received(), (std::vector<std::string>{"ERASE 0", "ERASE 1", "ERASE 4"}));
        QCOMPARE(session.pedalNames(), (Names{{5, "Crunch"}, {7, "a~b"}, {8, "Lead"}}));
        QCOMPARE(session.shownNames(), session.pedalNames());
        QCOMPARE(screen.notice()->notice(),
                 QStringLiteral("Slot 5 could not be erased; the pedal kept its preset."));
    }

    void refusedWhileThePresetsAreRefreshed() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        Alerts alerts(ui::Alert::kYes);
        Choosers choosers;
        test::TempDir files;
        choosers.answers << writeFile(files, "File.qorpreset",
                                      fileBytes(0x601, presetBytes("File")));
        QTest::mouseClick(session.slot(1)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{1}));
        session.device()->setRefreshing(true);
        const QString refresh = QString::fromLatin1(Transfers::kRefreshingHeadline);

        QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
        QCOMPARE(alerts.headlines, (QStringList{alerts.headlines.first(), refresh}));
        QCOMPARE(screen.selected(), (std::set<std::size_t>{1}));
        test::Dragging dragging(session);
        QVERIFY(!dragging.start(session.slot(0)));
        test::doubleClick(session.slot(0)->clickArea());
        QTRY_COMPARE(alerts.headlines.size(), qsizetype(4));
        QVERIFY(!session.slot(0)->editing());
        QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
        QCOMPARE(alerts.headlines.size(), qsizetype(5));
        QVERIFY(screen.exports().empty());
        for (const QString& headline : alerts.headlines.mid(1)) QCOMPARE(headline, refresh);
        session.settle();
        QVERIFY(session.received().empty());
        session.device()->setRefreshing(false);
    }

    void stagedExportsAndTheOverwriteWarning() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        test::TempDir files;
        Choosers choosers;
        const auto stageAll = [&] {
            choosers.answers = {
                writeFile(files, "A.qorpreset", fileBytes(0x601, presetBytes("File A", 7))),
                writeFile(files, "B.qorpreset", fileBytes(0x601, presetBytes("File B", 8))),
                writeFile(files, "C.qorpreset", fileBytes(0x601, presetBytes("File C", 9)))};
            for (const std::size_t index : {2, 3, 1})
                QTest::mouseClick(session.slot(index)->addButton(), Qt::LeftButton);
        };
        QTest::mouseClick(session.slot(0)->clickArea(), Qt::LeftButton);
        QTRY_VERIFY(!screen.selected().empty());
        stageAll();
        QCOMPARE(screen.exports(), (std::set<std::size_t>{1, 2, 3}));
        QVERIFY2(screen.selected().empty(), "staging clears the selection");
        QCOMPARE(screen.statusMessage1()->text(),
                 QStringLiteral("3 presets are ready for transfer."));
        QVERIFY(screen.statusWarning()->isVisible());
        QCOMPARE(screen.statusMessage2()->text(),
                 QStringLiteral("1 files will overwrite existing presets on the device."));
        QVERIFY(screen.cancelButton()->isVisible() && !screen.selectAllButton()->isVisible());
        QVERIFY(screen.exportButton()->isEnabled());
        Slot* overwritten = session.slot(1);
        QCOMPARE(overwritten->surroundImage(),
                 QStringLiteral("TRANSFERS_slot_100_export_overwrite"));
        QVERIFY(overwritten->warning()->isVisible());
        QCOMPARE(overwritten->accessibleName(), QStringLiteral("Slot 2, Clean, staged: File C"));
        QCOMPARE(session.slot(2)->surroundImage(), QStringLiteral("TRANSFERS_slot_100_export"));
        QVERIFY2(session.slot(5)->clickArea()->isHidden(), "no selecting while files are staged");
        QVERIFY(test::saveShot(session.windowShot(), QStringLiteral("staged-exports-overwrite")));

        // Escape drops them all and sends nothing.
        QTest::keyClick(screen.view(), Qt::Key_Escape);
        QVERIFY(screen.exports().empty());
        QCOMPARE(overwritten->surroundImage(), QString());
        QCOMPARE(screen.statusMessage1()->text(), QStringLiteral("Stored Presets: 5"));
        session.settle();
        QVERIFY(session.received().empty());

        stageAll();
        QTest::mouseClick(screen.exportButton(), Qt::LeftButton);
        QTRY_VERIFY(screen.exports().empty());
        session.settle();
        QCOMPARE(session.received(), (std::vector<std::string>{"WRITE 1", "WRITE 2", "WRITE 3"}));
        QCOMPARE(session.pedalPresets()[1], presetBytes("File C", 9));
        QCOMPARE(session.shownNames(), session.pedalNames());
        QCOMPARE(screen.statusMessage1()->text(), QStringLiteral("Stored Presets: 7"));
    }

    void theExportStopsAtARefusedWrite() {
        TransfersSession session(pedals.path(), kPresets, {"--error", "WRITE_PRESET@3=5"});
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        test::TempDir files;
        Choosers choosers;
        for (const char* name : {"One", "Two", "Three"})
            choosers.answers << writeFile(files, std::string(name) + ".qorpreset",
                                          fileBytes(0x601, presetBytes(name, 1)));
        for (const std::size_t index : {2, 3, 5})
            QTest::mouseClick(session.slot(index)->addButton(), Qt::LeftButton);
        QTest::mouseClick(screen.exportButton(), Qt::LeftButton);
        QTRY_COMPARE(screen.notice()->notice(),
                     QStringLiteral("Slot 4 could not be written; its file and the 1 after it are "
                                    "still staged."));
        QCOMPARE(screen.exports(), (std::set<std::size_t>{3, 5}));
        QVERIFY(!session.slot(2)->exportPreset());
        QCOMPARE(screen.statusMessage1()->text(),
                 QStringLiteral("2 presets are ready for transfer."));
        QCOMPARE(session.received(), (std::vector<std::string>{"WRITE 2", "WRITE 3"}));
        QCOMPARE(session.pedalNames()[3], std::string("One"));
        QCOMPARE(session.pedalNames().count(4), std::size_t(0));
    }

    void filesRefusedAtStaging() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        test::TempDir files;
        Choosers choosers;
        Bytes shortFile = fileBytes(0x601, presetBytes("Short"));
        shortFile.pop_back();
        Bytes longBody = presetBytes("Long");
        longBody.push_back(0);
        const struct {
            QString path;
            QString notice;
        } cases[] = {
            {writeFile(files, "Nax.qorpreset", fileBytes(0x600, presetBytes("Nax"))),
             "Not staged: Nax.qorpreset was made for another model (product 0x0600), not a MIV3."},
            {writeFile(files, "Short.qorpreset", shortFile),
             "Not staged: Short.qorpreset is 111 bytes long; a preset file holds at least 112."},
            {writeFile(files, "Long.qorpreset", fileBytes(0x601, longBody)),
             "Not staged: Long.qorpreset holds a 105-byte preset; the MIV3 takes 104."},
            {QString::fromStdString(files.file("Gone.qorpreset")),
             "Not staged: Gone.qorpreset cannot be read."},
        };
        for (const auto& c : cases) {
            choosers.answers = {c.path};
            QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
            QCOMPARE(screen.notice()->notice(), c.notice);
            QVERIFY(screen.exports().empty());
            QVERIFY(!session.slot(2)->exportPreset());
        }
        // Cancelling the chooser changes nothing and says nothing.
        choosers.answers = {QString()};
        QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
        QVERIFY(!screen.notice()->isPosted());
    }

    void importNeverReplacesAFile() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        test::TempDir folder;
        test::writeText(folder.file("Lead.qorpreset"), "1");
        test::writeText(folder.file("Lead-2.qorpreset"), "2");
        Choosers choosers;
        choosers.answers = {QString::fromStdString(folder.path())};
        for (const std::size_t index : {0, 6, 7}) screen.slot(index)->setSelected(true);
        QTest::mouseClick(screen.importButton(), Qt::LeftButton);
        QVERIFY(screen.selected().empty());
        QTRY_VERIFY(!screen.importing());
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            names.insert(entry.path().filename());
        QCOMPARE(names, (std::set<std::string>{"Lead.qorpreset", "Lead-2.qorpreset",
                                               "Lead-3.qorpreset", "Lead-4.qorpreset",
                                               "a\xEF\xA2\x88"
                                               "b.qorpreset"}));
        QCOMPARE(test::readText(folder.file("Lead.qorpreset")), std::string("1"));
        const std::string lead = test::readText(folder.file("Lead-3.qorpreset"));
        QCOMPARE(lead.size(), std::size_t(112));
        QCOMPARE(lead.substr(4, 4), std::string("\x01\x06\x00\x00", 4));
        QVERIFY(!screen.notice()->isPosted());

        // A folder that is gone by the time the files are written: said so.
        choosers.answers = {QString::fromStdString(folder.file("gone"))};
        screen.slot(4)->setSelected(true);
        QTest::mouseClick(screen.importButton(), Qt::LeftButton);
        QTRY_COMPARE(
            screen.notice()->notice(),
            QStringLiteral("1 file could not be written: Crunch.qorpreset (the folder is gone)."));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersFilesQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersFilesQtTest.moc"
