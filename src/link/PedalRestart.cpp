// Bringing a restarted pedal back on the line that stayed open.
#include "link/PedalRestart.h"

#include <chrono>
#include <thread>

#include "link/Commands.h"
#include "link/DeviceDelegate.h"
#include "link/Request.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

using Clock = std::chrono::steady_clock;

// A line that fails at once (its node has gone) is tried again after this long.
constexpr std::chrono::milliseconds kRetryPause{100};

}  // namespace

bool PedalRestart::reboot() {
    announce(true, false);
    // A pedal that reboots often never answers; the engine counts that as done. One that
    // refused may still have restarted: whether it answers at its speed decides.
    if (!device_.control().reboot() && answers()) {
        announce(false, true);
        return false;
    }
    return comeBack();
}

bool PedalRestart::awaitReturn() {
    announce(true, false);
    return comeBack();
}

bool PedalRestart::answersOrComesBack() {
    if (answers()) return true;
    logFormat("%s does not answer at its speed; bringing it up again", device_.filename().c_str());
    announce(true, false);
    return comeBack();
}

bool PedalRestart::comeBack() {
    const bool back = waitForAnswer() && device_.bringUp().bringUpAgain();
    if (back) {
        // As after a new connection: the state block, and with it the settings.
        if (const auto state = device_.bringUp().readDeviceState()) {
            device_.bringUp().setLcxreply(*state);
            device_.bringUp().setStateBlockRead(true);
            device_.ram().updateSettings(SettingsBlock::fromLCXreply(*state));
        }
        device_.bringUp().enableHardwareControl();
        logFormat("%s is back after restarting", device_.filename().c_str());
    } else {
        logFormat("%s did not come back after restarting", device_.filename().c_str());
        device_.setLost(true);
    }
    announce(false, back);
    return back;
}

bool PedalRestart::waitForAnswer() {
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                           device_.timeouts().reboot + kAnswerSeconds));
    if (!device_.line().setHostSpeed(QORUARTDevice::kBootSpeed)) return false;
    while (!device_.dead()) {
        const auto asked = Clock::now();
        if (answers()) return true;
        if (Clock::now() >= deadline) return false;
        // A read waits for the line's silence; a write that fails at once does not.
        if (Clock::now() - asked < kRetryPause) std::this_thread::sleep_for(kRetryPause);
    }
    return false;
}

bool PedalRestart::answers() {
    const auto request = buildRequest(Command::GET_CMDS, 0, 0, 0);
    const auto reply = request ? device_.execute(Command::GET_CMDS, *request) : std::nullopt;
    return reply && reply->error == 0;
}

void PedalRestart::announce(bool restarting, bool back) {
    if (restarting == device_.restarting()) return;
    device_.setRestarting(restarting);
    std::weak_ptr<QORUARTDevice> weak = device_.weak_from_this();
    rail(Rails::main(), [weak, restarting, back] {
        const auto device = weak.lock();
        DeviceDelegate* delegate = QORUARTDevice::delegate();
        if (!device || delegate == nullptr) return;
        if (restarting)
            delegate->deviceIsRestarting(device);
        else
            delegate->deviceHasRestarted(device, back);
    });
}

}  // namespace harbrix
