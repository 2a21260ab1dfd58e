// An operation of the Transfers screen that would replace or erase a preset with unsaved
// edits in the Editor asks first. Move and Swap carry a draft along with its preset and do
// not ask for it.
#include <algorithm>

#include "devices/PresetStore.h"
#include "transfers/Transfers.h"
#include "ui/Alert.h"

namespace harbrix {
namespace {

const QString kContinue = QStringLiteral("Continue");

// "Preset 01 has unsaved changes in the Editor. They will be lost."
QString lostDraftsQuestion(const std::vector<std::size_t>& indices) {
    QStringList numbers;
    for (const std::size_t slot : indices)
        numbers << QStringLiteral("%1").arg(slot + 1, 2, 10, QLatin1Char('0'));
    if (numbers.size() == 1)
        return QStringLiteral("Preset %1 has unsaved changes in the Editor. They will be lost.")
            .arg(numbers.front());
    const QString last = numbers.takeLast();
    return QStringLiteral(
               "Presets %1 and %2 have unsaved changes in the Editor. They will be lost.")
        .arg(numbers.join(QStringLiteral(", ")), last);
}

}  // namespace

bool Transfers::draftsMayGo(std::vector<std::size_t> indices, std::function<void()> again) {
    if (draftsConfirmed_) return true;
    const DeviceRef pedal = device();
    if (!pedal) return true;
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::erase_if(indices, [&pedal](std::size_t slot) {
        const PresetRef preset = presets(pedal).cached(slot);
        return !preset || !preset->dirty();
    });
    if (indices.empty()) return true;
    const auto guard = guarded(this);
    std::weak_ptr<QORUARTDevice> weak = device();
    ui::Alert::askLater(view(), lostDraftsQuestion(indices), QString(),
                        [guard, weak, again = std::move(again)](const QString& answer) {
                            // An answer for a screen or a pedal that has gone meanwhile does
                            // nothing.
                            if (!guard || weak.expired() || answer != kContinue) return;
                            guard->draftsConfirmed_ = true;
                            again();
                            if (guard) guard->draftsConfirmed_ = false;
                        },
                        {kContinue, ui::Alert::kCancel});
    return false;
}

}  // namespace harbrix
