// harbrixctl update check: one software and one firmware check against the update server,
// printing what each found.
#include <cstdio>
#include <string>

#include "Commands.h"
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

}  // namespace

int updateCommand(const CommandLine& line) {
    if (line.arguments.empty() || line.arguments[0] != "check" || line.arguments.size() > 3)
        return usageError("update takes: check [MODEL [FIRMWARE]]");
    const std::string model = line.arguments.size() > 1 ? line.arguments[1] : "MIV3";
    std::optional<Version> firmware;
    if (line.arguments.size() > 2) {
        firmware = Version::versionWithString(line.arguments[2]);
        if (!firmware) return usageError("\"" + line.arguments[2] + "\" is not a version");
    }

    StingerFacts facts;
    facts.periodic = false;
    // Checkers created for models identified from here on behave like the application's.
    UpdateStartup::installFirmwareCheckers({}, facts);

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
