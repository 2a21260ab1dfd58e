// The MIV III editor against the simulated pedal paced at 2,000,000 bit/s with a 1 ms device
// latency: the time from a fader's release to the value stored in the preset and the screen
// synced (controls, buttons, status panel, breakout labels), then also the pedal's answer
// for the loaded lamp and the repaint; one full screen update; and the lamp's question to the
// pedal on its own. Beside a 16 ms frame.
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "devices/PresetStore.h"
#include "editor/MIV3Editor.h"
#include "shell/Background.h"
#include "shell/QtMainRail.h"
#include "support/TempDir.h"
#include "ui/Fonts.h"

using namespace harbrix;
using namespace harbrix::bench;

namespace {

constexpr int kRuns = 200;
constexpr double kFrameMs = 16.0;

struct Figures {
    double median;
    double p95;
};

Figures figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100]};
}

void report(const char* what, const Figures& f) {
    std::printf("%-44s %10.3f %10.3f %12.3f\n", what, f.median, f.p95, f.p95 / kFrameMs);
}

double msSince(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ui::fonts::install();
    bindMainRailToQt();
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    auto simulator = startPacedSimulator(home.path(), "BENCHED");
    auto device = simulator ? bringUp(*simulator, Framing::fast) : nullptr;
    if (!device) return 1;
    device->setQueue(railsQueue("bench-editor"));
    railSync(device->queue(), [&] { presets(device).refreshPresets({0, 100}, true); });

    MIV3Editor editor(device);
    Background window;
    window.resize(1100, 640);
    editor.view()->setParent(&window);
    editor.view()->setGeometry(0, 0, 1100, 640);
    window.show();
    QApplication::processEvents();
    editor.selectPreset(7, true);
    railSync(device->queue(), [] {});
    QApplication::processEvents();
    auto* fader = qobject_cast<ui::Fader*>(editor.control("levelDry"));
    if (fader == nullptr || !editor.selectedPreset()) return 1;

    std::vector<double> release, released, full;
    for (int run = 0; run < kRuns; ++run) {
        const double percentage = (run * 37) % 101;
        QElapsedTimer timer;
        timer.start();
        fader->delegate()->fader(fader, true, percentage);
        release.push_back(msSince(timer));
        // The loaded lamp's answer from the pedal, and the repaint of what changed.
        railSync(device->queue(), [] {});
        QApplication::processEvents();
        released.push_back(msSince(timer));
        timer.restart();
        editor.sync();
        full.push_back(msSince(timer));
        railSync(device->queue(), [] {});
        QApplication::processEvents();
    }
    // The lamp's question on its own: the pedal exchange the second figure waits for.
    std::vector<double> question;
    for (int run = 0; run < kRuns / 10; ++run) {
        QElapsedTimer timer;
        timer.start();
        railSync(device->queue(), [&] { presets(device).isloaded(); });
        question.push_back(msSince(timer));
    }
    std::printf("MIV III editor, %d runs, paced simulator (2,000,000 bit/s, 1 ms latency)\n\n",
                kRuns);
    std::printf("%-44s %10s %10s %12s\n", "", "median ms", "p95 ms", "p95 / 16 ms");
    report("fader release -> stored and screen synced", figures(release));
    report("  ... plus loaded lamp answer and repaint", figures(released));
    report("full sync", figures(full));
    report("one loaded-lamp question to the pedal", figures(question));
    editor.undoPresetChanges();
    return 0;
}
