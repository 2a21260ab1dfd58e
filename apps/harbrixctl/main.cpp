// harbrixctl: the device layer on a terminal.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "Commands.h"
#include "Usage.h"
#include "link/ReplyFraming.h"
#include "link/Request.h"

namespace harbrix::ctl {

int usageError(const std::string& message) {
    std::fprintf(stderr, "harbrixctl: %s\n", message.c_str());
    return 2;
}

std::size_t elementSizeForCode(std::uint8_t sizeCode) {
    return elementSize(sizeCode);
}

namespace {

// Every command, in the order the usage lists them. The usage, the manual page and the shell
// completion are made from this table; a command's --options are those its arguments name.
const std::vector<Command> kCommands = {
    {"identify", "PEDAL", "bring a pedal up and show its identity, settings and occupied slots",
     identifyCommand},
    {"list", "", "find the connected pedals, bring each up and show it on a line", listCommand},
    {"watch", "", "show each pedal connecting and disconnecting until interrupted", watchCommand},
    {"update", "check [MODEL [FIRMWARE]]",
     "check the update server for new software and MODEL's firmware, against FIRMWARE if given; "
     "without MODEL, the one connected pedal's; HARBRIX_UPDATE_SERVER overrides the server",
     updateCommand},
    {"driver", "[install]",
     "tell whether the pedals' driver (on Linux the udev rule) is installed; install it with "
     "administrator rights",
     driverCommand},
    {"presets", "PEDAL", "list the slots: number, name, empty ones marked", presetsCommand},
    {"get", "PEDAL SLOT FILE",
     "copy a preset into a .qorpreset file (into a folder: named after it)", getCommand},
    {"put", "PEDAL FILE SLOT [--verify] [--no-journal]",
     "write a .qorpreset file into a slot; --verify reads it back", putCommand},
    {"rename", "PEDAL SLOT NAME [--no-journal]", "rename the preset in a slot", renameCommand},
    {"move", "PEDAL A B [--verify] [--no-journal]", "move the preset in slot A into empty slot B",
     moveCommand},
    {"copy", "PEDAL A B [--verify] [--no-journal]",
     "copy the preset in slot A into slot B, over what B holds", copyCommand},
    {"swap", "PEDAL A B [--verify] [--no-journal]",
     "swap the presets in slots A and B; --verify reads the slots back", swapCommand},
    {"delete", "PEDAL SLOT... [--no-journal]", "erase the presets in the slots", deleteCommand},
    {"erase", "PEDAL SLOT... [--no-journal]", "the same as delete", deleteCommand},
    {"params", "PEDAL SLOT [KEY=VALUE...] [--no-journal]",
     "show the parameters of a slot's preset by key, or set levels (0-127) and switches (on, "
     "off) and write the preset back",
     paramsCommand},
    {"select", "PEDAL SLOT [--load]", "select a slot, with --load also as the running sound",
     selectCommand},
    {"backup", "PEDAL DIR", "every occupied slot into its own file in DIR, with a manifest",
     backupCommand},
    {"restore", "PEDAL DIR [--no-journal]",
     "the presets of a backup back into the slots they came from, each read back", restoreCommand},
    {"settings", "[NODE MODEL] [KEY=VALUE...]",
     "show the global settings, or set midi-channel (1-16, omni), midi-thru, midi-keyboard, "
     "name-crawl (on, off), contrast (0-10) or homeview (0-4) and show the result",
     settingsCommand},
    {"reset", "[NODE MODEL] presets,expression,midi,display|all [--no-journal]",
     "restore factory settings", resetCommand},
    {"flash", "[NODE MODEL] FILE",
     "write a raw or LDR firmware image into the pedal (Ctrl-C stops it after the current page "
     "and has the pedal recover)",
     flashCommand},
    {"reboot", "[NODE MODEL]", "restart the pedal and wait until it answers again at its speed",
     rebootCommand},
    {"effect", "[NODE MODEL] on|off", "switch the effect as the footswitch does", effectCommand},
    {"history", "PEDAL", "the pedal's journal of slot changes: number, time, operation, slots",
     historyCommand},
    {"undo", "PEDAL [--force]",
     "put back the slots of the newest change not undone; a slot changed since stops it unless "
     "--force",
     undoCommand},
    {"redo", "PEDAL [--force]", "make the most recently undone change again", redoCommand},
    // The preset library: one row per form, all run by the same command.
    {"library", "list [--search TEXT] [--tag TAG] [--model M] [--favourites]",
     "the presets kept in the library, with their id, tags and the slots they are in now; "
     "--search matches the beginnings of words of names, tags and notes",
     libraryCommand},
    {"library", "add FILE...", "keep preset files in the library", libraryCommand},
    {"library", "tag ID TAG...", "give a library preset tags", libraryCommand},
    {"library", "untag ID TAG...", "take tags off a library preset", libraryCommand},
    {"library", "put ID [PEDAL] SLOT [--verify] [--no-journal]",
     "write a library preset into a slot", libraryCommand},
    {"library", "export ID FILE", "a library preset into a .qorpreset file (or into a folder)",
     libraryCommand},
    {"snapshots", "[PEDAL]", "the snapshots the library kept of the pedal (or of every pedal)",
     snapshotsCommand},
    {"snapshot", "restore ID [PEDAL] [--to SERIAL] [--no-journal]",
     "make the pedal hold what it held at the snapshot again, as one change Undo takes back; "
     "into another pedal of the model with --to its SERIAL",
     snapshotCommand},
    {"snapshot", "export ID FOLDER",
     "the presets of a snapshot into FOLDER as files, with a manifest for restore",
     snapshotCommand},
};

constexpr const char* kNotes =
    "SLOT is 1-100 as the pedal shows it.\n"
    "PEDAL is NODE MODEL, or --serial SERIAL, or nothing for the only pedal connected; options\n"
    "may stand anywhere. NODE is a path or a name under /dev (or HARBRIX_DEV_ROOT); MODEL is MIV3\n"
    "or NAX3. HARBRIX_USB_INVENTORY=COMMAND lists USB devices in place of the system.\n"
    "--log shows the WRITE:/READ: traffic on standard error.\n"
    "--framing sets how a reply's end is found, for this command (HARBRIX_LINK_FRAMING):\n"
    "guarded (the default: its length, then 20 ms of quiet), silence (0.1 s of quiet) or fast\n"
    "(its length alone).\n"
    "Every command that changes slots (put, rename, move, copy, swap, delete or erase,\n"
    "params, restore, reset with presets) is journaled per pedal in\n"
    "$XDG_DATA_HOME/com.qor.wharvel/journal, so it can be undone. When the journal cannot be\n"
    "written, a command that would erase or overwrite a preset changes nothing and exits with 1;\n"
    "--no-journal changes the pedal anyway, and Undo cannot take that back. Filling empty slots\n"
    "needs no journal.\n"
    "Every preset read from a pedal or a file is kept in the library,\n"
    "$XDG_DATA_HOME/com.qor.wharvel/library.sqlite3; presets, backup and snapshot restore keep a\n"
    "snapshot of the whole pedal.\n";

int usage(FILE* to, int status) {
    std::fputs(usageText(kCommands, kNotes).c_str(), to);
    return status;
}

}  // namespace
}  // namespace harbrix::ctl

int main(int argc, char** argv) {
    using namespace harbrix::ctl;
    // Asked of harbrixctl itself by the shell completion.
    if (argc == 2 && std::string(argv[1]) == "--commands") {
        std::fputs(commandList(kCommands).c_str(), stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "-h") return usage(stdout, 0);
    std::string error;
    const auto line = CommandLine::parse(
        argc, argv, {"serial", "search", "tag", "model", "to", "framing"}, error);
    if (line && line->flag("help")) return usage(stdout, 0);
    if (line && line->options.count("framing") != 0) {
        const std::string& mode = line->options.at("framing");
        if (!harbrix::framingNamed(mode))
            return usageError("unknown framing \"" + mode + "\" (guarded, silence or fast)");
        // Every pedal this command brings up reads it.
        setenv("HARBRIX_LINK_FRAMING", mode.c_str(), 1);
    }
    if (line && line->flag("version")) {
        std::printf("harbrixctl %s\n", HARBRIX_VERSION);
        return 0;
    }
    if (line && line->command.empty()) {
        const auto unknown =
            std::find_if(line->flags.begin(), line->flags.end(),
                         [](const auto& f) { return kCommonOptions.count(f) == 0; });
        error = unknown != line->flags.end() ? "unknown option --" + *unknown : "no command given";
    }
    if (!line || line->command.empty()) {
        usage(stderr, 2);
        return usageError(error);
    }
    if (line->command == "help") return usage(stdout, 0);
    if (line->flag("log")) setenv("HARBRIX_LOG", "stderr", 1);
    const auto command = std::find_if(kCommands.begin(), kCommands.end(),
                                      [&](const Command& c) { return line->command == c.name; });
    if (command == kCommands.end()) {
        usage(stderr, 2);
        return usageError("unknown command \"" + line->command + "\"");
    }
    // A command written in several forms takes the options of all of them.
    std::set<std::string> own;
    for (const Command& form : kCommands)
        if (line->command == form.name) own.merge(optionsOf(form));
    for (const auto& flag : line->flags)
        if (kCommonOptions.count(flag) == 0 && own.count(flag) == 0) {
            usage(stderr, 2);
            return usageError("unknown option --" + flag + " for " + line->command);
        }
    return command->run(*line);
}
