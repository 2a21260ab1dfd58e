// What connecting a pedal costs on its line, and what the window knows when reads fail: the
// real controller and discovery against a simulated pedal with every slot occupied.
#include <QTest>

#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "ShellHarness.h"
#include "devices/DeviceRegistry.h"
#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "shell/Window.h"
#include "support/SimulatedApplication.h"
#include "support/Simulator.h"
#include "support/TempDir.h"
#include "ui/Fonts.h"

using namespace harbrix;

namespace {

constexpr int kConnectMs = 30000;
constexpr std::size_t kSlots = 100;

// A state file with every slot holding a preset named after it.
void writeFullPedal(const std::string& path) {
    nlohmann::json presets = nlohmann::json::object();
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
        std::string name = "Full " + std::to_string(slot + 1);
        name.resize(24, ' ');
        std::ostringstream hex;
        for (std::size_t i = 0; i < 80; ++i) hex << "3f";
        for (const char c : name) hex << std::hex << ((c >> 4) & 0xF) << (c & 0xF);
        presets[std::to_string(slot)] = hex.str();
    }
    std::ofstream(path) << nlohmann::json{{"presets", presets}}.dump();
}

// "NAME count argument" lines the simulator recorded, by command name.
std::multimap<std::string, std::uint32_t> recorded(const std::string& path) {
    std::multimap<std::string, std::uint32_t> requests;
    std::ifstream file(path);
    std::string name;
    std::uint32_t count = 0;
    std::uint32_t argument = 0;
    while (file >> name >> count >> argument) requests.emplace(name, argument);
    return requests;
}

std::size_t readSlots(const QORUARTDevice& device) {
    std::size_t read = 0;
    for (std::size_t slot = 0; slot < kSlots; ++slot)
        if (harbrix::presets(device).cached(slot)) ++read;
    return read;
}

}  // namespace

class ConnectionReadsQtTest : public QObject {
    Q_OBJECT
    test::TempDir pedals{"reads-pedals"};
    std::unique_ptr<test::TempDir> folder;

  private slots:
    void initTestCase() {
        ui::fonts::install();
        bindMainRailToQt();
        test::discoverSimulatedPedalsIn(pedals.path());
    }

    void init() {
        folder = std::make_unique<test::TempDir>("reads");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(folder->file("cache")));
        writeFullPedal(folder->file("state.json"));
    }

    void cleanup() {
        DeviceRegistry::resetRegistry();
        QTest::qWait(50);
    }

    // One read per occupied slot, and the pedal's selection asked once (the selected slot
    // and whether it is loaded), besides the editor's loaded lamp for the slot it follows.
    void aFullPedalCostsOnePassOfReads() {
        auto controller = test::launchWithDiscovery();
        test::Simulator miv({"--dir", pedals.path(), "--model", "MIV3", "--serial", "READS01",
                             "--state", folder->file("state.json"), "--record",
                             folder->file("record")});
        QVERIFY2(miv.running(), miv.error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentDevice() != nullptr, kConnectMs);
        const DeviceRef device = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(
            harbrix::presets(device).synchronised() && !harbrix::presets(device).refreshing(),
            kConnectMs);
        QTRY_VERIFY(controller->pedals().initialized());
        QCOMPARE(readSlots(*device), kSlots);

        const auto requests = recorded(folder->file("record"));
        QCOMPARE(requests.count("READ_PRESET"), kSlots);
        const auto selectedWord = (*device->memory())["selected-preset"];
        QVERIFY(selectedWord.has_value());
        std::size_t selectionQueries = requests.count("GET_PRESET");
        const auto peeks = requests.equal_range("PEEKC");
        for (auto it = peeks.first; it != peeks.second; ++it)
            if (it->second == *selectedWord) ++selectionQueries;
        QVERIFY2(selectionQueries <= 3, qPrintable(QString::number(selectionQueries)));
    }

    // Reads fail from slot 24 on: those slots are not known (never empty), and once the
    // pedal answers again they are read on their own.
    void slotsThatFailedToReadAreReadLater() {
        auto controller = test::launchWithDiscovery();
        test::Simulator miv({"--dir", pedals.path(), "--model", "MIV3", "--serial", "READS02",
                             "--state", folder->file("state.json"), "--silent-from",
                             "READ_PRESET=25"});
        QVERIFY2(miv.running(), miv.error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentDevice() != nullptr, kConnectMs);
        const DeviceRef device = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(harbrix::presets(device).synchronised(), kConnectMs);
        for (std::size_t slot = 0; slot < 24; ++slot)
            QVERIFY(harbrix::presets(device).cached(slot));
        for (std::size_t slot = 24; slot < kSlots; ++slot)
            QVERIFY2(!harbrix::presets(device).cached(slot), qPrintable(QString::number(slot)));
        QCOMPARE(controller->pedals().connected().size(), std::size_t(1));

        QVERIFY(miv.heal());
        QTRY_COMPARE_WITH_TIMEOUT(readSlots(*device), kSlots, kConnectMs);
        for (std::size_t slot = 24; slot < kSlots; ++slot)
            QVERIFY(!harbrix::presets(device).cached(slot)->empty());
    }

    // A state block that cannot be read says nothing about any slot, and nothing about the
    // settings either.
    void aPedalWhoseStateCannotBeReadShowsNothingAsEmpty() {
        auto controller = test::launchWithDiscovery();
        test::Simulator miv({"--dir", pedals.path(), "--model", "MIV3", "--serial", "READS03",
                             "--state", folder->file("state.json"), "--error",
                             "LOCAL_CONTROLX@16=5"});
        QVERIFY2(miv.running(), miv.error().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentDevice() != nullptr, kConnectMs);
        const DeviceRef device = controller->currentDevice();
        QTRY_VERIFY_WITH_TIMEOUT(harbrix::presets(device).synchronised(), kConnectMs);
        QCOMPARE(readSlots(*device), std::size_t(0));
        QVERIFY(!device->bringUp().stateBlockRead());

        QVERIFY(miv.heal());
        QTRY_COMPARE_WITH_TIMEOUT(readSlots(*device), kSlots, kConnectMs);
        QVERIFY(device->bringUp().stateBlockRead());
    }
};

int main(int argc, char** argv) {
    harbrix::Application application(argc, argv);
    ConnectionReadsQtTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ConnectionReadsQtTest.moc"
