// The Transfers screen's two frequent redraws against the 16 ms of one frame at 60 Hz: a
// full sync of the 100 slots (what every preset announcement runs), with nothing changed and
// with every slot changed, each alone and then painted; and one drag-hover update (the
// pointer moving from an empty slot to an occupied one and back), alone and painted. The
// screen runs offscreen with a scripted pedal whose cache holds a preset in every slot.
#include <QApplication>
#include <QDragMoveEvent>
#include <QMimeData>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "devices/Preset.h"
#include "transfers/Transfers.h"
// The scripted pedal has a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "support/ScriptedPedal.h"
#pragma pop_macro("slots")
#include "ui/Fonts.h"

using namespace harbrix;

namespace {

constexpr int kRuns = 200;
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
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    return median(times);
}

void report(const char* what, double ms) {
    std::printf("%-44s %9.3f %12.1f%%\n", what, ms, 100.0 * ms / kFrameMs);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ui::fonts::install();
    test::ScriptedPedal pedal;
    const DeviceRef device = pedal.bringUp();
    if (!device) return 1;
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
        device->setCachedPreset(first.back(), slot);
    }
    auto screen = Transfers::controller(device, nullptr);
    QWidget* view = screen->view();
    view->resize(1100, 640);
    view->show();
    QCoreApplication::processEvents();

    std::printf("Transfers screen, 100 slots per page, median of %d runs\n", kRuns);
    std::printf("%-44s %9s %13s\n", "", "ms", "of a frame");
    report("full sync, nothing changed", timed([&](int) { screen->sync(true); }));
    report("full sync, nothing changed, painted", timed([&](int) {
               screen->sync(true);
               view->repaint();
           }));
    const auto swapContents = [&](int run) {
        for (std::size_t slot = 0; slot < 100; ++slot)
            device->setCachedPreset(run % 2 ? first[slot] : second[slot], slot);
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
    device->setCachedPreset(Preset::emptyPresetForDevice(device.get()), 2);
    screen->sync(true);
    QMimeData data;
    data.setData(QString::fromLatin1(TransfersBackground::kDragType), "0");
    TransfersBackground* body = screen->body();
    const QPoint targets[] = {screen->slot(2)->geometry().center(),
                              screen->slot(1)->geometry().center()};
    QDragEnterEvent enter(targets[0], Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(body, &enter);
    const auto hover = [&](int run) {
        QDragMoveEvent move(targets[run % 2], Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(body, &move);
    };
    report("drag-hover update", timed(hover));
    if (body->operation() == TransferOperation::none) return 1;  // the drag never reached a slot
    report("drag-hover update, painted", timed([&](int run) {
               hover(run);
               view->repaint();
           }));
    return 0;
}
