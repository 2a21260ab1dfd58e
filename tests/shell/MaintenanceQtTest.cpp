// The debug menu's maintenance commands clicked in a row against the simulated pedal: they
// reach the pedal in click order, and none of them talks to it from the window's thread
// (the line notes the thread of every write).
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>

#include <fstream>
#include <mutex>
#include <thread>

#include "ShellHarness.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "ui/Animation.h"

using namespace harbrix;

namespace {

// The system's serial line, noting which thread wrote each request.
class ThreadNotingLine : public SerialLine {
  public:
    std::vector<std::thread::id> writers() const {
        std::lock_guard lock(mutex_);
        return writers_;
    }

    std::uint64_t fileNumber(const std::string& path) override { return line_->fileNumber(path); }
    int open(const std::string& path) override { return line_->open(path); }
    bool claimExclusive(int fd) override { return line_->claimExclusive(fd); }
    bool clearStatusFlags(int fd) override { return line_->clearStatusFlags(fd); }
    bool configureRaw(int fd) override { return line_->configureRaw(fd); }
    bool setSpeed(int fd, std::uint32_t speed) override { return line_->setSpeed(fd, speed); }
    void discardInput(int fd) override { line_->discardInput(fd); }
    ssize_t read(int fd, std::uint8_t* buffer, std::size_t size) override {
        return line_->read(fd, buffer, size);
    }
    ssize_t readWithin(int fd, std::uint8_t* buffer, std::size_t size, int ms) override {
        return line_->readWithin(fd, buffer, size, ms);
    }
    ssize_t write(int fd, const std::uint8_t* data, std::size_t size) override {
        {
            std::lock_guard lock(mutex_);
            writers_.push_back(std::this_thread::get_id());
        }
        return line_->write(fd, data, size);
    }
    void close(int fd) override { line_->close(fd); }

  private:
    std::shared_ptr<SerialLine> line_ = SerialLine::system();
    mutable std::mutex mutex_;
    std::vector<std::thread::id> writers_;
};

QAction* command(const AppDelegate& controller, const QString& title) {
    for (QAction* action : controller.maintenance().debugMenuItem()->actions())
        if (action->text() == title) return action;
    return nullptr;
}

}  // namespace

class MaintenanceQtTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        ui::animation::setInstant(true);
        bindMainRailToQt();
    }

    void commandsReachThePedalInClickOrderOffTheWindowsThread() {
        test::TempDir folder("maintenance");
        QDir().mkpath(QString::fromStdString(folder.file("home/Desktop")));
        std::ofstream(folder.file("home/Desktop/Harbrix.debug")) << "";
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(folder.file("home")));
        auto controller = test::launchWithoutDiscovery();
        qputenv("HOME", home);
        QVERIFY(controller->maintenance().debugMenuItem() != nullptr);

        const std::string record = folder.file("record");
        test::Simulator sim({"--serial", "MAINT1", "--timeouts", "0,0,0,0", "--record", record});
        QVERIFY2(sim.running(), sim.error().c_str());
        auto line = std::make_shared<ThreadNotingLine>();
        auto device = std::make_shared<QORUARTDevice>(sim.nodeName(), "MIV3", "MAINT1", line);
        device->setDeviceRoot(sim.dir());
        QVERIFY(device->completeInitialization());
        device->setQueue(railsQueue("MAINT1"));
        const std::size_t broughtUp = line->writers().size();
        controller->deviceIsConnected(device);

        // MIDI Jam, Suspend, Recover (once the suspend let it), MIDI Jam, Suspend.
        command(*controller, QStringLiteral("MIDI Jam"))->trigger();
        command(*controller, QStringLiteral("Suspend"))->trigger();
        QAction* recover = command(*controller, QStringLiteral("Recover"));
        QTRY_VERIFY_WITH_TIMEOUT(recover->isEnabled(), 10000);
        recover->trigger();
        command(*controller, QStringLiteral("MIDI Jam"))->trigger();
        command(*controller, QStringLiteral("Suspend"))->trigger();

        // The maintenance commands among what the pedal received (the window also reads
        // which preset is selected when a pedal connects).
        const QStringList maintenance{"MIDI_JAM", "SUSPENDC", "RECOVERC"};
        const auto received = [&] {
            std::ifstream in(record);
            QStringList commands;
            for (std::string entry; std::getline(in, entry);) {
                const QString name = QString::fromStdString(entry.substr(0, entry.find(' ')));
                if (maintenance.contains(name)) commands << name;
            }
            return commands;
        };
        QTRY_COMPARE_WITH_TIMEOUT(received().size(), 5, 15000);
        QCOMPARE(received(),
                 (QStringList{"MIDI_JAM", "SUSPENDC", "RECOVERC", "MIDI_JAM", "SUSPENDC"}));
        const auto writers = line->writers();
        QVERIFY(writers.size() >= broughtUp + 5);
        for (std::size_t i = broughtUp; i < writers.size(); ++i)
            QVERIFY(writers[i] != std::this_thread::get_id());
        // The last suspend enabled Recover again.
        QTRY_VERIFY(recover->isEnabled());

        // The framing the pedal is read in now, and what it fell back from.
        QMenu* framing = controller->maintenance().framingMenu();
        device->line().setFraming(Framing::guarded);
        emit framing->aboutToShow();
        QCOMPARE(framing->actions().at(0)->text(),
                 QString::fromStdString(sim.nodeName() + ": guarded"));
        device->line().setFraming(Framing::silence);
        emit framing->aboutToShow();
        QCOMPARE(framing->actions().size(), 1);
        QCOMPARE(framing->actions().at(0)->text(),
                 QString::fromStdString(sim.nodeName() + ": silence"));
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    MaintenanceQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MaintenanceQtTest.moc"
