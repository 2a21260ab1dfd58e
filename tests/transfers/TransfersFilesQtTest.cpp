// Delete, staged exports and import on the Transfers screen against a simulated pedal: the
// delete confirmation and its answers, the refusals while the pedal's presets are being
// refreshed, staged files with the overwrite warning, an export that stops at a refused
// write, files refused at staging, and an import that never replaces a file. Questions and
// file choosers are answered through the real alert and the real chooser.
#include <QTest>

#include <filesystem>
#include <future>

#include "TransfersHarness.h"
#include "devices/PresetStore.h"
#include "link/Model.h"
#include "shell/Application.h"
#include "shell/Shield.h"
#include "support/QueueGate.h"
#include "support/ShownAlerts.h"
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
        QTest::mouseClick(session.slot(0)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{0}));

        // "No", and Escape (the invisible Cancel): nothing changes, the selection stays.
        for (const bool escape : {false, true}) {
            QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
            const ui::Alert* alert = test::waitForAlert();
            QVERIFY(alert != nullptr);
            QCOMPARE(alert->headline(), QStringLiteral("Delete 1 preset from the pedal?"));
            QCOMPARE(alert->finePrint(), QStringLiteral("Edit > Undo puts it back."));
            QCOMPARE(alert->buttonTitles(), (QStringList{"Yes", "No"}));
            QVERIFY(escape ? test::pressOnAlert(Qt::Key_Escape)
                           : test::answerAlert(ui::Alert::kNo));
            QTRY_VERIFY(test::shownAlert() == nullptr);
            QCOMPARE(screen.selected(), (std::set<std::size_t>{0}));
        }
        session.settle();
        QVERIFY(session.received().empty());

        // "Yes" with three selected: the plural, a shield while it runs, one slot refused.
        QTest::mouseClick(screen.selectAllButton(), Qt::LeftButton);
        screen.slot(6)->setSelected(false);
        screen.slot(7)->setSelected(false);
        QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
        const ui::Alert* alert = test::waitForAlert();
        QVERIFY(alert != nullptr);
        QCOMPARE(alert->headline(), QStringLiteral("Delete 3 presets from the pedal?"));
        QCOMPARE(alert->finePrint(), QStringLiteral("Edit > Undo puts them back."));
        QVERIFY(test::saveShot(test::windowWithAlert(session.window(), test::shownAlert()),
                               QStringLiteral("delete-confirmation")));
        QVERIFY(test::answerAlert(ui::Alert::kYes));
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

    // Quit while a delete runs: the window says that Harbrix quits when it ends, then does.
    void quitWaitsForTheDelete() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        QTest::mouseClick(screen.selectAllButton(), Qt::LeftButton);
        QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
        test::QueueGate gate(session.device()->queue());
        QVERIFY(test::answerAlert(ui::Alert::kYes));
        QVERIFY(screen.deleting());
        QTest::keyClick(session.window(), Qt::Key_Q, Qt::ControlModifier);
        const ui::Alert* notice = test::waitForAlert();
        QVERIFY(notice != nullptr);
        QCOMPARE(notice->headline(), QStringLiteral("Harbrix quits when the delete ends."));
        QVERIFY(session.window()->isVisible());
        gate.open();
        QTRY_VERIFY(!session.window()->isVisible());
        QCOMPARE(session.pedalNames(), Names{});
    }

    void refusedWhileThePresetsAreRefreshed() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        QTest::mouseClick(session.slot(1)->clickArea(), Qt::LeftButton);
        QTRY_COMPARE(screen.selected(), (std::set<std::size_t>{1}));
        presets(session.device()).setRefreshing(true);
        // Each refusal is a notice the user dismisses with OK.
        const auto refused = [] {
            const ui::Alert* notice = test::waitForAlert();
            return notice != nullptr &&
                   notice->headline() == QLatin1String(Transfers::kRefreshingHeadline) &&
                   notice->buttonTitles() == QStringList{ui::Alert::kOK} &&
                   test::answerAlert(ui::Alert::kOK);
        };

        QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
        QVERIFY(test::answerAlert(ui::Alert::kYes));
        QVERIFY(refused());
        QCOMPARE(screen.selected(), (std::set<std::size_t>{1}));
        test::Dragging dragging(session);
        QVERIFY(!dragging.start(session.slot(0)));
        QVERIFY(refused());
        test::doubleClick(session.slot(0)->clickArea());
        QVERIFY(refused());
        QVERIFY(!session.slot(0)->editing());
        QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
        QVERIFY(refused());
        QVERIFY(screen.exports().empty());
        session.settle();
        QVERIFY(session.received().empty());
        presets(session.device()).setRefreshing(false);
    }

    void stagedExportsAndTheOverwriteWarning() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        test::TempDir files;
        const QString staged[] = {
            writeFile(files, "A.qorpreset", fileBytes(0x601, presetBytes("File A", 7))),
            writeFile(files, "B.qorpreset", fileBytes(0x601, presetBytes("File B", 8))),
            writeFile(files, "C.qorpreset", fileBytes(0x601, presetBytes("File C", 9)))};
        const auto stageAll = [&] {
            const std::size_t onto[] = {2, 3, 1};
            for (int i = 0; i < 3; ++i) {
                QTest::mouseClick(session.slot(onto[i])->addButton(), Qt::LeftButton);
                QVERIFY(test::answerFileDialog(staged[i]));
            }
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
                 QStringLiteral("1 file will overwrite an existing preset on the device."));
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
        const std::pair<std::size_t, const char*> files_[] = {{2, "One"}, {3, "Two"}, {5, "Three"}};
        for (const auto& [index, name] : files_) {
            QTest::mouseClick(session.slot(index)->addButton(), Qt::LeftButton);
            QVERIFY(test::answerFileDialog(writeFile(files, std::string(name) + ".qorpreset",
                                                     fileBytes(0x601, presetBytes(name, 1)))));
        }
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
        };
        for (const auto& c : cases) {
            QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
            QVERIFY(test::answerFileDialog(c.path));
            QCOMPARE(screen.notice()->notice(), c.notice);
            QVERIFY(screen.exports().empty());
            QVERIFY(!session.slot(2)->exportPreset());
        }
        // Cancelling the chooser changes nothing and says nothing.
        QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
        QVERIFY(test::answerFileDialog(QString()));
        QVERIFY(!screen.notice()->isPosted());

        // A name the pedal cannot store is staged as the name it will store, and said so.
        Bytes cafe = presetBytes("Caf", 6);
        cafe[3] = 0xC3;
        cafe[4] = 0xA9;
        QTest::mouseClick(session.slot(2)->addButton(), Qt::LeftButton);
        QVERIFY(test::answerFileDialog(writeFile(files, "Cafe.qorpreset", fileBytes(0x601, cafe))));
        QCOMPARE(screen.notice()->notice(),
                 QStringLiteral("Staged Cafe.qorpreset as \"Caf\": a preset name holds only ASCII "
                                "letters, digits and signs."));
        QCOMPARE(session.slot(2)->accessibleName(), QStringLiteral("Slot 3, Empty, staged: Caf"));
        QTest::mouseClick(screen.exportButton(), Qt::LeftButton);
        QTRY_COMPARE(session.pedalNames()[3], std::string("Caf"));
    }

    void importNeverReplacesAFile() {
        TransfersSession session(pedals.path(), kPresets);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        test::TempDir folder;
        test::writeText(folder.file("Lead.qorpreset"), "1");
        test::writeText(folder.file("Lead-2.qorpreset"), "2");
        for (const std::size_t index : {0, 6, 7}) screen.slot(index)->setSelected(true);
        QTest::mouseClick(screen.importButton(), Qt::LeftButton);
        QVERIFY(test::answerFileDialog(QString::fromStdString(folder.path())));
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
        QCOMPARE(screen.notice()->notice(),
                 QStringLiteral("Wrote 3 files to %1.").arg(QString::fromStdString(folder.path())));

        // A folder that is gone by the time the files are written: said so. The files wait
        // behind the test's own work on the disk rail while the folder goes.
        const std::string gone = folder.file("gone");
        std::filesystem::create_directory(gone);
        std::promise<void> hold;
        rail(Rails::disk(), [held = hold.get_future().share()] { held.wait(); });
        screen.slot(4)->setSelected(true);
        QTest::mouseClick(screen.importButton(), Qt::LeftButton);
        QVERIFY(test::answerFileDialog(QString::fromStdString(gone)));
        std::filesystem::remove(gone);
        hold.set_value();
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
