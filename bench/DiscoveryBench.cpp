// The cost of discovery with one pedal (a MIV3 simulator) connected: the CPU time of one
// pass, with the USB inventory read from sysfs as on Linux (a copy of the tree with the
// pedal in it) and from the simulator's inventory command, and the process's CPU share
// while the discovery loop runs idle with the pedal connected.
//   bench_discovery [--seconds N]   (the idle measurement lasts N seconds, 60 by default)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "devices/DeviceRails.h"
#include "devices/DeviceRegistry.h"
#include "devices/Metas.h"
#include "devices/PresetStore.h"
#include "devices/UsbInventory.h"
#include "link/DeviceDelegate.h"
#include "support/DeviceEvents.h"
#include "support/Paths.h"
#include "support/Simulator.h"
#include "support/TempDir.h"

using namespace harbrix;

namespace {

using Clock = std::chrono::steady_clock;

// CPU seconds of this process (every thread) and of the children it has waited for.
struct Cpu {
    double self = 0;
    double children = 0;
};

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

Cpu cpuNow() {
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return {seconds(self.ru_utime) + seconds(self.ru_stime),
            seconds(children.ru_utime) + seconds(children.ru_stime)};
}

void pass() {
    railSync(DeviceRails::check(), [] { DeviceRegistry::check(); });
}

// Mean CPU time of `count` passes, in milliseconds.
void measurePasses(const char* source, int count) {
    pass();  // connects the pedal if it is new: that pass includes the bring-up
    const Cpu before = cpuNow();
    const auto started = Clock::now();
    for (int i = 0; i < count; ++i) pass();
    const Cpu after = cpuNow();
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    std::printf("%-32s %10.3f %12.3f %10.3f\n", source, (after.self - before.self) * 1e3 / count,
                (after.children - before.children) * 1e3 / count, wall / count);
}

void writeAttribute(const std::string& folder, const char* name, const std::string& value) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + name) << value << "\n";
}

// A sysfs USB tree: a root hub, a hub, the pedal, and a few other devices beside it.
std::string fakeSysfs(const std::string& root, const std::string& serial) {
    writeAttribute(root + "/usb1", "manufacturer", "Linux 6.1.0 xhci-hcd");
    writeAttribute(root + "/usb1", "product", "xHCI Host Controller");
    writeAttribute(root + "/usb1", "idVendor", "1d6b");
    writeAttribute(root + "/usb1", "idProduct", "0002");
    for (const char* device : {"1-1", "1-2", "1-3", "1-3.1"}) {
        writeAttribute(root + "/" + device, "manufacturer", "Generic");
        writeAttribute(root + "/" + device, "product", "Keyboard");
        writeAttribute(root + "/" + device, "idVendor", "046d");
        writeAttribute(root + "/" + device, "idProduct", "c31c");
        std::filesystem::create_directories(root + "/" + device + ":1.0");
    }
    const std::string pedal = root + "/1-3.2";
    writeAttribute(pedal, "manufacturer", "QOR");
    writeAttribute(pedal, "product", "MIV3");
    writeAttribute(pedal, "serial", serial);
    writeAttribute(pedal, "idVendor", "3a4d");
    writeAttribute(pedal, "idProduct", "0601");
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    double idleSeconds = 60;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds") idleSeconds = std::atof(argv[i + 1]);

    test::TempDir home("bench-home");
    test::TempDir pedals("bench-pedals");
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CACHE_HOME", home.file("cache").c_str(), 1);
    setenv("HARBRIX_DEV_ROOT", pedals.path().c_str(), 1);
    test::Simulator simulator({"--model", "MIV3", "--serial", "BENCHD", "--dir", pedals.path()});
    if (!simulator.running()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return 1;
    }
    test::MainLoopThread loop;
    test::RecordingDelegate delegate;
    delegate.setMainThread(loop.id());
    QORUARTDevice::setDelegate(&delegate);

    std::printf(
        "One discovery pass with one pedal connected (mean of the passes after the first)\n");
    std::printf("%-32s %10s %12s %10s\n", "inventory source", "CPU (ms)", "children (ms)",
                "wall (ms)");
    setenv("HARBRIX_USB_SYSFS", fakeSysfs(home.file("sysfs"), "BENCHD").c_str(), 1);
    unsetenv("HARBRIX_USB_INVENTORY");
    measurePasses("sysfs (Linux)", 200);
    const std::string command = test::binPath("pedalsim") + " inventory '" + pedals.path() + "'";
    setenv("HARBRIX_USB_INVENTORY", command.c_str(), 1);
    measurePasses("simulator's inventory command", 20);
    unsetenv("HARBRIX_USB_INVENTORY");
    {
        const Cpu before = cpuNow();
        constexpr int kReads = 200;
        std::size_t found = 0;
        for (int i = 0; i < kReads; ++i)
            found += Metas::unfiltered(UsbInventory::sysfsText("/sys/bus/usb/devices")).has_value();
        const Cpu after = cpuNow();
        std::printf("%-32s %10.3f   (inventory read and walk only; %s)\n", "this machine's /sys",
                    (after.self - before.self) * 1e3 / kReads,
                    found ? "USB devices present" : "no USB devices");
    }

    // The application idle: the loop every ~1.07 s, the pedal connected and synchronised.
    DeviceRegistry::resetRegistry();
    DeviceRegistry::initialize(&delegate);
    if (!delegate.waitFor(
            [](const test::RecordingDelegate& d) { return d.count("connected") == 1; })) {
        std::fprintf(stderr, "the pedal was not connected\n");
        return 1;
    }
    const auto device = delegate.calls().front().device;
    while (presets(device).refreshing()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const Cpu before = cpuNow();
    const auto started = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    const Cpu after = cpuNow();
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("\nIdle with one pedal connected, sysfs inventory, %.0f s:\n", wall);
    std::printf("  CPU %.3f s (children %.3f s): %.3f%% of one core\n", after.self - before.self,
                after.children - before.children,
                100.0 * (after.self - before.self + after.children - before.children) / wall);
    DeviceRegistry::resetRegistry();
    return 0;
}
