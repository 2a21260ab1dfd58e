#include "PresetCommands.h"

#include <unistd.h>

#include <cstdio>

#include "Commands.h"
#include "LibraryAccess.h"
#include "devices/PresetStore.h"
#include "link/Commands.h"
#include "link/Request.h"

namespace harbrix::ctl {
namespace {

constexpr std::size_t kUserSlots = 100;
constexpr std::size_t kBarWidth = 30;

}  // namespace

std::optional<std::size_t> parseSlot(const std::string& text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    std::size_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    if (number < 1 || number > kUserSlots) return std::nullopt;
    return number - 1;
}

int badSlot(const std::string& text) {
    return usageError("slot \"" + text + "\" is not a number from 1 to 100");
}

std::string slotLabel(std::size_t slot) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(slot + 1));
    return text;
}

std::string printableName(const std::string& name) {
    std::string shown = name;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return shown;
}

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "harbrixctl: %s\n", message.c_str());
    return status;
}

int checkSlot(const QORUARTDevice& device, std::size_t slot) {
    const unsigned slots = device.presetsSchema().presets;
    if (slot < slots) return 0;
    return fail(kBadInput, "slot " + slotLabel(slot) + " is past the pedal's " +
                               std::to_string(slots) + " slots");
}

std::optional<std::vector<std::size_t>> occupiedSlots(QORUARTDevice& device) {
    // The state query, asked here rather than through the bring-up's reader because an
    // unanswered query must not pass for a pedal with no presets.
    const auto request = buildRequest(Command::LOCAL_CONTROLX, 0, 3, 16);
    const auto reply = request ? device.execute(Command::LOCAL_CONTROLX, *request) : std::nullopt;
    if (!reply || reply->error != 0) return std::nullopt;
    std::vector<std::size_t> slots;
    for (unsigned slot = 0; slot < device.presetsSchema().presets; ++slot)
        if (reply->lcxreply.isOccupied(slot)) slots.push_back(slot);
    return slots;
}

std::size_t presetSize(const QORUARTDevice& device) {
    return elementSizeForCode(device.presetsSchema().stride) * device.presetsSchema().parameters;
}

WithoutJournal withoutJournal(const CommandLine& line) {
    return line.flag("no-journal") ? WithoutJournal::proceed : WithoutJournal::refuse;
}

int refused(const ChangeRefusal& refusal) {
    if (refusal.reason != ChangeRefusal::Reason::noJournal)
        return fail(kPedalFailed, refusal.message());
    const std::string where = refusal.journalPath.empty() ? "" : ": " + refusal.journalPath;
    return fail(kPedalFailed, "the journal could not be written (" + refusal.problem + ")" + where +
                                  "; nothing was changed (--no-journal changes the pedal without "
                                  "it, and Undo cannot take that back)");
}

PresetRef readSlot(QORUARTDevice& device, std::size_t slot, int& status) {
    if ((status = checkSlot(device, slot)) != 0) return nullptr;
    PresetRef preset = presets(device).refreshSlot(slot) ? presets(device).cached(slot) : nullptr;
    if (!preset) status = fail(kPedalFailed, "slot " + slotLabel(slot) + " could not be read");
    else if (!preset->empty()) keepFromPedal(device, slot, *preset);
    return preset;
}

std::shared_ptr<DeviceSession> presetSession(const CommandLine& line, std::size_t own,
                                             int& status) {
    std::string error;
    auto session = DeviceSession::fromCommandLine(line, error, own);
    if (!session) status = usageError(error);
    return session;
}

int onPedal(DeviceSession& session, const CommandLine& line,
            const std::function<int(QORUARTDevice&)>& work) {
    session.device()->line().setLog(line.flag("log"));
    return session.run([&](QORUARTDevice& device) {
        const std::string node = device.deviceRoot() + "/" + device.filename();
        if (!device.completeInitialization()) {
            const std::string reason = device.failureReason();
            return fail(kBadInput, "no pedal at " + node + (reason.empty() ? "" : ": " + reason));
        }
        if (!presets(device).supportsPresetEditing()) {
            return fail(kBadInput, "the " + device.name() + " at " + node + " keeps no presets");
        }
        return work(device);
    });
}

ProgressBar::ProgressBar(std::string label, std::size_t total)
    : label_(std::move(label)), total_(total), shown_(total > 0 && ::isatty(STDERR_FILENO)) {
    draw();
}

ProgressBar::~ProgressBar() {
    clear();
}

void ProgressBar::advance() {
    if (done_ < total_) ++done_;
    draw();
}

void ProgressBar::clear() {
    if (!shown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_ = false;
}

void ProgressBar::draw() const {
    if (!shown_) return;
    const std::size_t filled = total_ ? done_ * kBarWidth / total_ : kBarWidth;
    std::fprintf(stderr, "\r%s [%s%s] %zu/%zu", label_.c_str(), std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, '-').c_str(), done_, total_);
    std::fflush(stderr);
}

}  // namespace harbrix::ctl
