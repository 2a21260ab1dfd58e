// harbrixctl update check: one software and one firmware check against the update server,
// printing what each found. Without MODEL and FIRMWARE the firmware checked is that of the
// one connected pedal.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "DeviceSession.h"
#include "PedalControl.h"
#include "PresetCommands.h"
#include "devices/Metas.h"
#include "link/Version.h"
#include "updates/ApplicationInfo.h"
#include "updates/Stinger.h"
#include "updates/UpdateLocations.h"
#include "updates/UpdateStartup.h"

namespace harbrix::ctl {
namespace {

std::string text(const std::optional<Version>& version) {
    return version ? version->description() : "none";
}

void report(const char* title, Stinger& stinger) {
    const bool available = stinger.coreCheck();
    std::printf("%s\n", title);
    std::printf("  manifest  %s\n", stinger.manifest().c_str());
    std::printf("  current   %s\n", text(stinger.currentVersion()).c_str());
    const auto latest = stinger.latestEntry();
    if (latest) {
        std::printf("  latest    %s (%s, %lld bytes)\n",
                    latest->version.empty() ? "none" : latest->version.c_str(),
                    latest->name.empty() ? "no name" : latest->name.c_str(),
                    static_cast<long long>(latest->size));
        std::printf("  baseline  %s\n",
                    latest->baseline.empty() ? "none" : latest->baseline.c_str());
    } else {
        std::printf("  latest    none\n");
    }
    const auto path = available && latest ? stinger.cachedPath(latest->name) : std::nullopt;
    if (path)
        std::printf("  payload   %s (verified)\n", path->c_str());
    else
        std::printf("  payload   none: %s\n", stinger.lastOutcome().c_str());
}

// The model and firmware of the one connected pedal, brought up to read them; none, after
// saying why, when there is not exactly one or it does not come up.
struct ConnectedPedal {
    std::string model;
    Version firmware;
};

std::optional<ConnectedPedal> connectedPedal(const CommandLine& line, int& status) {
    status = kBadInput;
    const auto metas = Metas::metas();
    if (!metas || metas->size() == 0) {
        fail(kBadInput, "no pedal connected: name the one to check, update check MODEL FIRMWARE");
        return std::nullopt;
    }
    if (metas->size() > 1) {
        std::string list;
        for (const Meta& meta : *metas)
            list += (list.empty() ? "" : ", ") + meta.name() + " " + meta.serial();
        fail(kBadInput, std::to_string(metas->size()) + " pedals connected (" + list +
                            "): name the one to check, update check MODEL FIRMWARE");
        return std::nullopt;
    }
    std::string error;
    const auto session = DeviceSession::create(*metas->begin(), error);
    if (!session) {
        fail(kPedalFailed, error);
        return std::nullopt;
    }
    std::optional<ConnectedPedal> pedal;
    status = runBroughtUp(*session, line, [&pedal](QORUARTDevice& device) {
        if (!device.model()) return fail(kPedalFailed, "the pedal did not say what it is");
        pedal = ConnectedPedal{device.model()->name(), device.model()->version()};
        return 0;
    });
    if (pedal)
        std::printf("Pedal: %s %s on %s, firmware %s\n", pedal->model.c_str(),
                    session->device()->serial().c_str(), session->device()->filename().c_str(),
                    pedal->firmware.description().c_str());
    return pedal;
}

}  // namespace

int updateCommand(const CommandLine& line) {
    if (line.arguments.empty() || line.arguments[0] != "check" || line.arguments.size() > 3)
        return usageError("update takes: check [MODEL [FIRMWARE]]");
    std::string model = line.arguments.size() > 1 ? line.arguments[1] : "";
    std::optional<Version> firmware;
    if (line.arguments.size() > 2) {
        firmware = Version::versionWithString(line.arguments[2]);
        if (!firmware) return usageError("\"" + line.arguments[2] + "\" is not a version");
    }

    StingerFacts facts;
    facts.periodic = false;
    // Checkers created for models identified from here on behave like the application's.
    UpdateStartup::installFirmwareCheckers({}, facts);
    if (model.empty()) {
        int status = 0;
        const auto pedal = connectedPedal(line, status);
        if (!pedal) return status;
        model = pedal->model;
        firmware = pedal->firmware;
    }

    std::printf("Server: %s (channel %s)\n", UpdateLocations::server().c_str(),
                UpdateLocations::channel().c_str());
    std::printf("Harbrix %s on system %s\n", text(ApplicationInfo::version()).c_str(),
                text(ApplicationInfo::systemVersion()).c_str());
    const auto software =
        Stinger::softwareStinger(UpdateLocations::softwareManifestURL(), {}, facts);
    if (software) report("Software", *software);

    StingerFacts firmwareFacts = facts;
    if (firmware) firmwareFacts.currentVersion = [firmware] { return firmware; };
    const auto checker = Stinger::firmwareStinger(UpdateLocations::firmwareManifestURL(model),
                                                  model, {}, firmwareFacts);
    if (checker) report(("Firmware " + model).c_str(), *checker);
    return 0;
}

}  // namespace harbrix::ctl
