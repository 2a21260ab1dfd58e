// Three hundred operations drawn at random with a fixed seed (move, copy, swap, overwrite,
// delete, rename, stage, export, cancel), run through the Transfers screen against a
// simulated pedal that refuses some writes and erases. After each one the screen, the device
// cache and the pedal agree, and the pedal holds one of the outcomes the operation may have:
// done, or not done, never a preset lost that the operation was not asked to replace.
#include <QSignalSpy>
#include <QTest>

#include <optional>
#include <random>

#include "TransfersHarness.h"
#include "devices/PresetStore.h"
#include "link/Model.h"
#include "shell/Application.h"
#include "support/ShownAlerts.h"
#include "ui/Alert.h"

using namespace harbrix;
using test::presetBytes;
using test::TransfersSession;

namespace {

constexpr unsigned kSeed = 13;
constexpr int kOperations = 300;
constexpr std::size_t kRefusedWriteSlot = 17;
constexpr std::size_t kRefusedEraseSlot = 41;

using Pedal = std::map<std::size_t, Bytes>;  // occupied slots only
// What one outcome changes: slot -> its new bytes, none for an empty slot.
using Change = std::map<std::size_t, std::optional<Bytes>>;

Pedal applied(Pedal pedal, const Change& change) {
    for (const auto& [slot, bytes] : change) {
        if (bytes) {
            pedal[slot] = *bytes;
        } else {
            pedal.erase(slot);
        }
    }
    return pedal;
}

Bytes renamed(Bytes bytes, const std::string& name) {
    std::fill_n(bytes.begin(), 24, ' ');
    std::copy(name.begin(), name.end(), bytes.begin());
    return bytes;
}

Bytes fileBytes(const Bytes& body) {
    Bytes bytes;
    for (const std::uint32_t word : {std::uint32_t{kPedalVendorId}, std::uint32_t{0x601}})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

}  // namespace

class TransfersRandomQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"transfers-random"};

  private slots:
    void initTestCase() { TransfersSession::prepare(pedals.path()); }

    void threeHundredOperationsLoseNothing() {
        std::mt19937 random(kSeed);
        const auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        Pedal start;
        while (start.size() < 30) {
            const std::size_t slot = pick(100);
            start[slot] = presetBytes("P" + std::to_string(slot + 1), std::uint8_t(slot));
        }
        std::vector<std::string> faults = {
            "--error", "WRITE_PRESET@" + std::to_string(kRefusedWriteSlot) + "=5", "--error",
            "ERASE_PRESET@" + std::to_string(kRefusedEraseSlot) + "=5"};
        // Single refused writes, never two in a row: a swap's repair always goes through.
        for (int nth = 5; nth < 400; nth += 11 + int(pick(9)))
            faults.insert(faults.end(), {"--error", "WRITE_PRESET#" + std::to_string(nth) + "=5"});
        TransfersSession session(pedals.path(), start, faults);
        QVERIFY(session.ready());
        Transfers& screen = session.screen();
        QSignalSpy notices(screen.notice(), &Notice::posted);
        test::Dragging dragging(session);
        test::TempDir files;
        std::vector<std::pair<QString, Bytes>> stageable;
        for (int i = 1; i <= 6; ++i) {
            const Bytes body = presetBytes("File " + std::to_string(i), std::uint8_t(200 + i));
            const std::string path = files.file("F" + std::to_string(i) + ".qorpreset");
            const Bytes bytes = fileBytes(body);
            test::writeText(path, std::string(bytes.begin(), bytes.end()));
            stageable.emplace_back(QString::fromStdString(path), body);
        }

        std::map<std::size_t, Bytes> staged;  // what the test staged, by slot
        std::map<std::string, int> counts;
        for (int step = 0; step < kOperations; ++step) {
            const Pedal before = session.pedalPresets();
            std::vector<std::size_t> occupied, empty;
            for (std::size_t index = 0; index < 100; ++index)
                (before.count(index) ? occupied : empty).push_back(index);
            std::vector<Change> outcomes = {{}};  // doing nothing is always one of them
            std::string kind;
            const std::size_t roll = pick(100);
            if (!staged.empty()) {
                // While files are staged, slots cannot be picked up: stage, export or cancel.
                if (roll < 20 && staged.size() < 6) {
                    kind = "stage";
                } else if (roll < 80) {
                    kind = "export";
                } else {
                    kind = "cancel";
                }
            } else if (roll < 18) {
                kind = "move";
            } else if (roll < 30) {
                kind = "copy";
            } else if (roll < 48) {
                kind = "swap";
            } else if (roll < 58) {
                kind = "overwrite";
            } else if (roll < 68) {
                kind = "delete";
            } else if (roll < 84) {
                kind = "rename";
            } else {
                kind = "stage";
            }
            if ((kind == "move" || kind == "copy") && (occupied.empty() || empty.empty()))
                kind = "rename";
            if ((kind == "swap" || kind == "overwrite" || kind == "delete" || kind == "rename") &&
                occupied.size() < 2)
                kind = "stage";
            ++counts[kind];
            const QByteArray where =
                QByteArray::number(step) + " " + QByteArray::fromStdString(kind);

            if (kind == "move" || kind == "copy" || kind == "swap" || kind == "overwrite") {
                const std::size_t from = occupied[pick(occupied.size())];
                std::size_t to = from;
                if (kind == "move" || kind == "copy") {
                    to = empty[pick(empty.size())];
                } else {
                    while (to == from) to = occupied[pick(occupied.size())];
                }
                const Qt::KeyboardModifiers keys =
                    kind == "copy" || kind == "overwrite" ? Qt::AltModifier : Qt::NoModifier;
                QVERIFY2(dragging.start(session.slot(from)), where);
                dragging.moveOver(session.slot(to), keys);
                QVERIFY2(dragging.drop(keys), where);
                const Bytes& a = before.at(from);
                if (kind == "move") {
                    outcomes.push_back({{to, a}, {from, std::nullopt}});
                    outcomes.push_back({{to, a}});  // written, the erase refused
                } else if (kind == "swap") {
                    outcomes.push_back({{to, a}, {from, before.at(to)}});
                } else {
                    outcomes.push_back({{to, a}});
                }
            } else if (kind == "delete") {
                std::set<std::size_t> doomed;
                for (std::size_t n = 1 + pick(3); n > 0; --n)
                    doomed.insert(occupied[pick(occupied.size())]);
                for (const std::size_t index : doomed) screen.slot(index)->setSelected(true);
                QTest::mouseClick(screen.deleteButton(), Qt::LeftButton);
                QVERIFY2(test::answerAlert(ui::Alert::kYes), where);
                QTRY_VERIFY2(!screen.deleting(), where);
                // Each slot erased or, refused, kept.
                std::vector<Change> combos = {{}};
                for (const std::size_t index : doomed) {
                    std::vector<Change> more;
                    for (Change change : combos) {
                        more.push_back(change);
                        change[index] = std::nullopt;
                        more.push_back(change);
                    }
                    combos = more;
                }
                outcomes = combos;
            } else if (kind == "rename") {
                const std::size_t index = occupied[pick(occupied.size())];
                const std::string name = "R" + std::to_string(step);
                test::doubleClick(session.slot(index)->clickArea());
                QTRY_VERIFY2(session.slot(index)->editing(), where);
                screen.editor()->setText(QString::fromStdString(name));
                QTest::keyClick(screen.editor(), Qt::Key_Return);
                outcomes.push_back({{index, renamed(before.at(index), name)}});
            } else if (kind == "stage") {
                std::vector<std::size_t> free;
                for (std::size_t index = 0; index < 100; ++index)
                    if (!staged.count(index)) free.push_back(index);
                const std::size_t index = free[pick(free.size())];
                const auto& file = stageable[pick(stageable.size())];
                QTest::mouseClick(session.slot(index)->addButton(), Qt::LeftButton);
                QVERIFY2(test::answerFileDialog(file.first), where);
                staged[index] = file.second;
            } else if (kind == "export") {
                QTest::mouseClick(screen.exportButton(), Qt::LeftButton);
                // Written in ascending order up to the first refused write.
                Change change;
                for (const auto& [index, body] : staged) {
                    change[index] = body;
                    outcomes.push_back(change);
                }
            } else {
                QTest::keyClick(screen.view(), Qt::Key_Escape);
                staged.clear();
            }
            session.settle();

            const Pedal after = session.pedalPresets();
            bool expected = false;
            for (const Change& change : outcomes)
                expected = expected || applied(before, change) == after;
            QVERIFY2(expected, where + " left the pedal in a state it may not have");
            // The screen, the cache and the pedal agree.
            for (std::size_t index = 0; index < 100; ++index) {
                const PresetRef cached = presets(session.device()).cached(index);
                QVERIFY2(cached, where);
                const auto onPedal = after.find(index);
                QVERIFY2(cached->empty() == (onPedal == after.end()), where);
                if (onPedal != after.end()) QVERIFY2(cached->clean() == onPedal->second, where);
                const QString shown = session.slot(index)->shownName();
                QVERIFY2(shown == QString::fromStdString(cached->displayName()), where);
            }
            // The staged files still staged are the ones not written.
            if (kind == "export") {
                for (auto it = staged.begin(); it != staged.end();) {
                    const auto written = after.find(it->first);
                    const bool done = !screen.exports().count(it->first);
                    if (done)
                        QVERIFY2(written != after.end() && written->second == it->second, where);
                    it = done ? staged.erase(it) : std::next(it);
                }
            }
            QCOMPARE(screen.exports().size(), staged.size());
        }
        for (const auto& [kind, count] : counts) qInfo("%s: %d", kind.c_str(), count);
        qInfo("notices: %d", int(notices.count()));
        QCOMPARE(counts.size(), std::size_t(9));
        QVERIFY2(notices.count() >= 10, "the pedal refused too little to prove anything");
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    TransfersRandomQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TransfersRandomQtTest.moc"
