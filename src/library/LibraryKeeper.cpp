#include "library/LibraryKeeper.h"

#include <map>

#include "devices/Preset.h"
#include "devices/PresetStore.h"
#include "library/PedalLibrary.h"
#include "link/QORUARTDevice.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

void logProblem(const std::string& problem) {
    if (!problem.empty()) logFormat("Library :: %s", problem.c_str());
}

}  // namespace

LibraryKeeper::LibraryKeeper() : queue_(railsQueue("library")) {}

LibraryKeeper::~LibraryKeeper() {
    // Whatever was handed on is kept before the library closes.
    if (queue_) queue_->stop(std::chrono::milliseconds(10000));
}

std::shared_ptr<LibraryKeeper> LibraryKeeper::open(const std::string& path, Opened opened) {
    std::shared_ptr<LibraryKeeper> keeper(new LibraryKeeper());
    rail(keeper->queue_, [held = keeper->held_, path, opened = std::move(opened)] {
        Library::Opening opening = Library::open(path);
        held->library = opening.library;
        logProblem(opening.notice);
        logProblem(opening.problem);
        if (opened)
            rail(Rails::main(), [opened, notice = opening.notice, problem = opening.problem] {
                opened(notice, problem);
            });
    });
    return keeper;
}

void LibraryKeeper::post(std::function<void(Library*)> work) {
    rail(queue_, [held = held_, work = std::move(work)] { work(held->library.get()); });
}

void LibraryKeeper::setChanged(std::function<void()> changed) {
    changed_ = std::move(changed);
}

void LibraryKeeper::kept() {
    if (changePending_.exchange(true)) return;
    std::weak_ptr<LibraryKeeper> weak = weak_from_this();
    // Behind everything already posted: what was read with this is in the library by then.
    rail(queue_, [weak] {
        rail(Rails::main(), [weak] {
            auto self = weak.lock();
            if (!self) return;
            self->changePending_ = false;
            if (self->changed_) self->changed_();
        });
    });
}

void LibraryKeeper::presetRead(const QORUARTDevice& device, std::size_t slot,
                               const Preset& preset) {
    std::weak_ptr<const QORUARTDevice> pedal = device.weak_from_this();
    post([pedal, slot, saved = preset.savedCopy()](Library* library) {
        const auto device = pedal.lock();
        if (!library || !device) return;
        logProblem(collectFromPedal(*library, *device, slot, *saved).problem);
    });
    kept();
}

void LibraryKeeper::pedalChanged(const QORUARTDevice& device) {
    // A snapshot holds every slot: none while some slot is not known.
    auto occupied = cachedPresets(device);
    if (!occupied) return;
    std::weak_ptr<const QORUARTDevice> pedal = device.weak_from_this();
    post([pedal, occupied = std::move(*occupied)](Library* library) {
        const auto device = pedal.lock();
        if (!library || !device) return;
        logProblem(recordPedal(*library, *device, occupied).problem);
    });
    kept();
}

void LibraryKeeper::fileRead(const std::string& model, const Preset& preset,
                             const std::string& path) {
    post([model, path, saved = preset.savedCopy()](Library* library) {
        if (library) logProblem(collectFromFile(*library, model, *saved, path).problem);
    });
    kept();
}

std::optional<std::map<std::size_t, std::shared_ptr<Preset>>> cachedPresets(
    const QORUARTDevice& device) {
    std::map<std::size_t, std::shared_ptr<Preset>> occupied;
    for (std::size_t slot = 0; slot < device.presetsSchema().presets; ++slot) {
        const auto cached = presets(device).cached(slot);
        if (!cached) return std::nullopt;
        if (!cached->empty()) occupied.emplace(slot, cached->savedCopy());
    }
    return occupied;
}

}  // namespace harbrix
