// harbrixctl snapshots and snapshot: the pedals as the library kept them, put back into a
// pedal as one journaled change, or written out as a folder of preset files.
#include <cstdio>
#include <ctime>

#include "BackupManifest.h"
#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/NodeNames.h"
#include "devices/SlotNames.h"
#include "library/PedalLibrary.h"
#include "platform/Paths.h"

namespace harbrix::ctl {
namespace {

std::string takenText(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32] = "?";
    if (localtime_r(&time, &parts)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::optional<Snapshot> namedSnapshot(Library& kept, const std::string& word, int& status) {
    return namedRecord(kept, word, {"snapshot", "snapshot", "snapshots"}, &Library::snapshot,
                       status);
}

int restoreSnapshotCommand(const CommandLine& line) {
    if (line.arguments.size() < 2)
        return usageError("snapshot restore takes ID [PEDAL] [--to SERIAL]");
    Library* kept = library();
    if (!kept) return fail(kPedalFailed, "there is no library to work with");
    int status = 0;
    const auto snapshot = namedSnapshot(*kept, line.arguments[1], status);
    if (!snapshot) return status;
    const auto to = line.options.find("to");
    const std::string target = to != line.options.end() ? to->second : snapshot->info.serial;
    // The pedal follows the id; without one, the pedal the snapshot is of, or --to's.
    CommandLine pedalLine = line;
    pedalLine.arguments.assign(line.arguments.begin() + 2, line.arguments.end());
    if (pedalLine.arguments.empty() && pedalLine.options.count("serial") == 0)
        pedalLine.options["serial"] = target;
    const auto session = presetSession(pedalLine, 0, status);
    if (!session) return status;
    const auto& info = snapshot->info;
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (device.name() != info.model)
            return fail(kBadInput, "snapshot " + std::to_string(info.id) + " is of a " +
                                       info.model + "; this pedal is a " + device.name());
        if (device.serial() != target) {
            return fail(kBadInput, "snapshot " + std::to_string(info.id) + " is of the " +
                                       info.model + " " + info.serial + "; to put it into the " +
                                       device.name() + " " + device.serial() + ", add --to " +
                                       device.serial());
        }
        // What the pedal holds now is kept first, so that this too can be gone back to.
        const auto before = readPedal(device, "reading", status);
        if (!before) return status;
        keepSnapshot(device, *before);
        const auto plan = planSnapshotRestore(*snapshot, device.name(), slotBytes(device, *before));
        if (!plan.problem.empty()) return fail(kBadInput, plan.problem);
        if (plan.writes.empty()) {
            std::printf("the %s %s already holds snapshot %lld\n", device.name().c_str(),
                        device.serial().c_str(), static_cast<long long>(info.id));
            return 0;
        }
        ProgressBar bar("restore", plan.writes.size());
        const auto written = restoreSnapshot(device, plan, withoutJournal(line),
                                             [&](std::size_t) { bar.advance(); });
        bar.clear();
        if (written.refusal) return refused(*written.refusal);
        if (!written.succeeded()) return fail(kPedalFailed, written.problem());
        std::vector<SlotPreset> now;
        for (std::size_t slot = 0; slot < snapshot->bytes.size(); ++slot)
            if (snapshot->bytes[slot]) now.push_back({slot, *snapshot->bytes[slot], {}});
        if (const auto record =
                kept->recordSnapshot(device.name(), device.serial(), snapshot->bytes.size(), now);
            !record)
            fail(0, record.problem);
        std::printf("snapshot %lld restored to the %s %s: %s changed\n",
                    static_cast<long long>(info.id), device.name().c_str(), device.serial().c_str(),
                    counted(plan.writes.size(), "slot").c_str());
        return 0;
    });
}

int exportSnapshotCommand(const CommandLine& line) {
    if (line.arguments.size() != 3) return usageError("snapshot export takes ID FOLDER");
    const std::string folder = line.arguments[2];
    if (fileExists(folder + "/" + kManifestName))
        return usageError(folder + " already holds a backup");
    Library* kept = library();
    if (!kept) return fail(kPedalFailed, "there is no library to work with");
    int status = 0;
    const auto snapshot = namedSnapshot(*kept, line.arguments[1], status);
    if (!snapshot) return status;
    const auto exported = exportSnapshot(*snapshot, folder);
    if (!exported.problem.empty()) return fail(kPedalFailed, exported.problem);
    // With the backup's manifest, `restore FOLDER` puts the presets back into their slots.
    BackupManifest manifest{snapshot->info.model, {}};
    for (const auto& [slot, file] : exported.files) manifest.entries.push_back({slot, file});
    if (!writeManifest(folder, manifest))
        return fail(kPedalFailed, "cannot write the manifest in " + folder);
    std::printf("%s of snapshot %lld written to %s\n",
                counted(exported.files.size(), "preset").c_str(),
                static_cast<long long>(snapshot->info.id), folder.c_str());
    return 0;
}

}  // namespace

int snapshotsCommand(const CommandLine& line) {
    std::string serial;
    if (const auto named = line.options.find("serial"); named != line.options.end()) {
        serial = named->second;
    } else if (!line.arguments.empty()) {
        const std::string& node = line.arguments[0];
        const auto name = serialFromNodeName(node.substr(node.rfind('/') + 1));
        if (line.arguments.size() != 2 || !name)
            return usageError("snapshots takes NODE MODEL, --serial SERIAL or neither");
        serial = *name;
    }
    Library* kept = library();
    if (!kept) return fail(kPedalFailed, "there is no library to work with");
    const auto found = kept->snapshots(serial);
    if (!found) return fail(kPedalFailed, found.problem);
    if (found->empty()) {
        std::printf("no snapshots%s\n", serial.empty() ? "" : (" of " + serial).c_str());
        return 0;
    }
    std::printf("%6s  %-19s  %-5s %-12s %s\n", "id", "taken", "model", "serial", "presets");
    for (const SnapshotInfo& info : *found) {
        std::printf("%6lld  %-19s  %-5s %-12s %zu\n", static_cast<long long>(info.id),
                    takenText(info.taken).c_str(), info.model.c_str(), info.serial.c_str(),
                    info.occupied);
    }
    return 0;
}

int snapshotCommand(const CommandLine& line) {
    const std::string what = line.arguments.empty() ? "" : line.arguments[0];
    if (what == "restore") return restoreSnapshotCommand(line);
    if (what == "export") return exportSnapshotCommand(line);
    return usageError(what.empty() ? "snapshot needs restore or export"
                                   : "unknown snapshot command \"" + what + "\"");
}

}  // namespace harbrix::ctl
