// The real application against simulated pedals: discovery that finds only the simulator's
// pedals in one folder, and the controller launched on it with the driver counted as
// installed. For the window's end-to-end tests.
#pragma once

#include <QByteArray>

#include <memory>
#include <string>

#include "app/AppDelegate.h"
#include "link/ReplyFraming.h"

namespace harbrix::test {

// Discovery looks for pedals in this folder only, and the pedal driver counts as installed.
// Fast framing ends replies as soon as they are complete, so connections take a fraction of a
// second. Applies to every launch that follows; call before the first.
inline void discoverSimulatedPedalsIn(const std::string& folder, Framing framing = Framing::fast) {
    qputenv("HARBRIX_DEV_ROOT", QByteArray::fromStdString(folder));
    qputenv("HARBRIX_USB_INVENTORY",
            QByteArray::fromStdString(std::string(HARBRIX_TEST_BIN_DIR) + "/pedalsim inventory '" +
                                      folder + "'"));
    qputenv("HARBRIX_DRIVER_FINDER", "echo udev/rules.d/60-harbrix-qor.rules");
    if (framing == Framing::fast) qputenv("HARBRIX_LINK_FRAMING", "fast");
}

inline std::unique_ptr<AppDelegate> launchWithDiscovery() {
    AppDelegate::Options options;
    options.driver.needsKext = [] { return false; };
    auto controller = std::make_unique<AppDelegate>(options);
    controller->applicationDidFinishLaunching();
    return controller;
}

}  // namespace harbrix::test
