#include "BenchSupport.h"

#include <cstdio>
#include <fstream>

namespace harbrix::bench {

std::string writeFullState(const std::string& dir) {
    const std::string path = dir + "/full.json";
    std::ofstream out(path);
    out << "{\"presets\":{";
    for (int slot = 0; slot < 100; ++slot) {
        std::string hex;
        char name[25] = {};
        std::snprintf(name, sizeof name, "Bench %02d", slot + 1);
        for (int i = 0; i < 104; ++i) {
            char pair[3];
            const unsigned value = i < 24 ? static_cast<unsigned char>(name[i]) : (slot * 7 + i) & 0x7F;
            std::snprintf(pair, sizeof pair, "%02x", value);
            hex += pair;
        }
        out << (slot ? "," : "") << "\"" << slot << "\":\"" << hex << "\"";
    }
    out << "}}";
    return path;
}

std::unique_ptr<test::Simulator> startPacedSimulator(const std::string& stateDir, const std::string& serial,
                                                     const std::vector<std::string>& extra) {
    const std::string state = writeFullState(stateDir);
    std::vector<std::string> arguments{"--model", "MIV3", "--serial", serial, "--pace", "--latency", "1", "--state", state};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    auto simulator = std::make_unique<test::Simulator>(arguments);
    if (!simulator->running()) {
        std::fprintf(stderr, "simulator: %s\n", simulator->error().c_str());
        return nullptr;
    }
    return simulator;
}

std::shared_ptr<QORUARTDevice> bringUp(const test::Simulator& simulator, Framing framing) {
    const std::string serial = simulator.nodeName().substr(simulator.nodeName().find('-') + 1);
    auto device = std::make_shared<QORUARTDevice>(simulator.nodeName(), "MIV3", serial);
    device->setDeviceRoot(simulator.dir());
    device->line().setFraming(framing);
    if (!device->completeInitialization()) {
        std::fprintf(stderr, "bring-up failed: %s\n", device->failureReason().c_str());
        return nullptr;
    }
    return device;
}

}  // namespace harbrix::bench
