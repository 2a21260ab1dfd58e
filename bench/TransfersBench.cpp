// The Transfers screen's work on the window's thread against the 16 ms of one frame at 60 Hz:
// - a full sync of the 100 slots, with nothing changed and with every slot changed, alone and
//   painted;
// - one drag-hover update (the pointer moving from an empty slot to an occupied one and back)
//   alone, and painted as the window paints it: what changed, with the drag picture;
// - the initial read of 100 slots from the simulated pedal (paced at 2,000,000 bit/s, 1 ms
//   latency, fast framing), each slot's announcement redrawn by the screen as it comes: the
//   window thread's processor time for the whole read, and the longest single announcement.
// The screen runs offscreen; the first two parts with a scripted pedal whose cache holds a
// preset in every slot.
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "BenchSupport.h"
#include "devices/Preset.h"
#include "shell/QtMainRail.h"
#include "support/DeviceEvents.h"
#include "support/TempDir.h"
#include "transfers/Transfers.h"
// The scripted pedal has a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "support/ScriptedPedal.h"
#pragma pop_macro("slots")
#include "devices/PresetStore.h"
#include "ui/Fonts.h"

using namespace harbrix;

namespace {

constexpr int kRuns = 200;
constexpr int kReads = 5;
constexpr double kFrameMs = 16.0;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median milliseconds of `work`, after a few warm-up runs.
double timed(const std::function<void(int run)>& work) {
    for (int run = 0; run < 5; ++run) work(run);
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work(run);
        times.push_back(bench::millisecondsSince(start));
    }
    return median(times);
}

// Processor time of the calling thread, in milliseconds.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void report(const char* what, double ms) {
    std::printf("%-52s %9.3f %9.3f\n", what, ms, ms / kFrameMs);
}

// The screen in a window of its own, shown offscreen.
QWidget* show(Transfers& screen) {
    QWidget* view = screen.view();
    view->resize(1100, 640);
    view->show();
    QCoreApplication::processEvents();
    return view;
}

void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, {});
    QCoreApplication::sendEvent(widget, &event);
}

bool syncsAndHover() {
    test::ScriptedPedal pedal;
    const DeviceRef device = pedal.bringUp();
    if (!device) return false;
    // Two sets of contents, so that alternating them changes every slot.
    std::vector<PresetRef> first, second;
    for (std::size_t slot = 0; slot < 100; ++slot) {
        first.push_back(Preset::presetWithSerialized(
            test::presetBytes("Preset " + std::to_string(slot + 1), std::uint8_t(slot)),
            device.get()));
        second.push_back(
            slot % 2 ? Preset::emptyPresetForDevice(device.get())
                     : Preset::presetWithSerialized(
                           test::presetBytes("Other " + std::to_string(slot), 1), device.get()));
        presets(device).setCached(first.back(), slot);
    }
    auto screen = Transfers::controller(device);
    QWidget* view = show(*screen);

    report("full sync, nothing changed", timed([&](int) { screen->sync(true); }));
    report("full sync, nothing changed, painted", timed([&](int) {
               screen->sync(true);
               view->repaint();
           }));
    const auto swapContents = [&](int run) {
        for (std::size_t slot = 0; slot < 100; ++slot)
            presets(device).setCached(run % 2 ? first[slot] : second[slot], slot);
    };
    report("full sync, every slot changed", timed([&](int run) {
               swapContents(run);
               screen->sync(true);
           }));
    report("full sync, every slot changed, painted", timed([&](int run) {
               swapContents(run);
               screen->sync(true);
               view->repaint();
           }));
    swapContents(1);

    // Slot 1 is dragged; the pointer moves between slot 3 (empty) and slot 2 (occupied).
    presets(device).setCached(Preset::emptyPresetForDevice(device.get()), 2);
    screen->sync(true);
    TransfersBackground* body = screen->body();
    QWidget* grip = screen->slot(0)->clickArea();
    const QPoint start = grip->rect().center();
    sendMouse(grip, QEvent::MouseButtonPress, start, Qt::LeftButton);
    sendMouse(grip, QEvent::MouseMove, start + QPoint(14, 8), Qt::LeftButton);
    if (!body->dragging()) return false;
    const QPoint targets[] = {screen->slot(2)->geometry().center(),
                              screen->slot(1)->geometry().center()};
    const auto hover = [&](int run) {
        sendMouse(body, QEvent::MouseMove, targets[run % 2], Qt::LeftButton);
    };
    report("drag-hover update", timed(hover));
    if (body->operation() == TransferOperation::none) return false;  // never reached a slot
    // What the window paints for it: the two slots, the status line and the picture.
    report("drag-hover update, painted", timed([&](int run) {
               hover(run);
               QCoreApplication::processEvents();
           }));
    report("drag-hover update, whole view repainted", timed([&](int run) {
               hover(run);
               view->repaint();
           }));
    body->endDrag();
    return true;
}

// Hands the pedal's slot announcements to the screen as the application does, and keeps how
// long each took.
struct Announcements : test::RecordingDelegate {
    Transfers* screen = nullptr;
    std::vector<double> ms;

    void deviceHasUpdatedPresetAtIndex(const DeviceRef&, std::size_t index) override {
        const auto start = std::chrono::steady_clock::now();
        screen->reloadPreset(index);
        ms.push_back(bench::millisecondsSince(start));
    }
};

bool initialRead() {
    test::TempDir home;
    setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    auto simulator = bench::startPacedSimulator(home.path(), "XFERBENCH");
    auto device = simulator ? bench::bringUp(*simulator, Framing::fast) : nullptr;
    if (!device) return false;
    device->setQueue(railsQueue("bench-transfers"));
    auto screen = Transfers::controller(device);
    show(*screen);
    Announcements announcements;
    announcements.screen = screen.get();
    QORUARTDevice::setDelegate(&announcements);

    std::vector<double> busy, wall, longest;
    for (int read = 0; read < kReads; ++read) {
        // Every slot read as the first time: each one changes and is announced.
        railSync(device->queue(), [&] {
            for (std::size_t slot = 0; slot < 100; ++slot)
                presets(device).setCached(Preset::emptyPresetForDevice(device.get()), slot);
        });
        screen->sync(true);
        QCoreApplication::processEvents();
        announcements.ms.clear();
        QEventLoop loop;
        const double cpu = threadMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        rail(device->queue(), [&] {
            presets(device).refreshPresets({0, 100}, true);
            // Behind the last announcement on the main rail.
            rail(Rails::main(), [&] { loop.quit(); });
        });
        loop.exec();
        QCoreApplication::processEvents();
        busy.push_back(threadMilliseconds() - cpu);
        wall.push_back(bench::millisecondsSince(start));
        longest.push_back(*std::max_element(announcements.ms.begin(), announcements.ms.end()));
        if (announcements.ms.size() != 100) return false;
    }
    QORUARTDevice::setDelegate(nullptr);
    std::printf("\nInitial read of 100 slots, fast framing, median of %d reads\n", kReads);
    std::printf("%-52s %9.1f\n", "read, wall clock (ms)", median(wall));
    report("window thread, whole read", median(busy));
    report("window thread, longest announcement", median(longest));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ui::fonts::install();
    bindMainRailToQt();
    std::printf("Transfers screen, 100 slots per page, median of %d runs\n", kRuns);
    std::printf("%-52s %9s %9s\n", "", "ms", "frames");
    if (!syncsAndHover()) return 1;
    return initialRead() ? 0 : 1;
}
