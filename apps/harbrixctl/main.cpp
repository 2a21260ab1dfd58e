// harbrixctl: the device layer on a terminal.
#include <cstdio>
#include <cstdlib>
#include <map>

#include "Commands.h"
#include "link/Request.h"

namespace harbrix::ctl {

int usageError(const std::string& message) {
    std::fprintf(stderr, "harbrixctl: %s\n", message.c_str());
    return 2;
}

std::size_t elementSizeForCode(std::uint8_t sizeCode) { return elementSize(sizeCode); }

namespace {

constexpr const char* kUsage =
    "usage: harbrixctl COMMAND [ARGUMENTS] [--log]\n"
    "  identify PEDAL        bring a pedal up and show its identity, settings and occupied slots\n"
    "  list                  find the connected pedals, bring each up and show it on a line\n"
    "  watch                 show each pedal connecting and disconnecting until interrupted\n"
    "  update check [MODEL [FIRMWARE]]  check the update server for new software and MODEL's\n"
    "                        firmware (default MIV3), against FIRMWARE if given; HARBRIX_UPDATE_SERVER\n"
    "                        overrides the server\n"
    "  presets PEDAL         list the slots: number, name, empty ones marked\n"
    "  get PEDAL SLOT FILE   copy a preset into a .qorpreset file (into a folder: named after it)\n"
    "  put PEDAL FILE SLOT [--verify]  write a .qorpreset file into a slot; --verify reads it back\n"
    "  erase PEDAL SLOT      empty a slot\n"
    "  rename PEDAL SLOT NAME  rename the preset in a slot\n"
    "  move PEDAL A B [--verify]  move the preset in slot A into empty slot B\n"
    "  copy PEDAL A B [--verify]  copy the preset in slot A into slot B, over what B holds\n"
    "  swap PEDAL A B [--verify]  swap the presets in slots A and B; --verify reads the slots back\n"
    "  delete PEDAL SLOT...  erase the presets in the slots\n"
    "  select PEDAL SLOT [--load]  select a slot, with --load also as the running sound\n"
    "  backup PEDAL DIR      every occupied slot into its own file in DIR, with a manifest\n"
    "  restore PEDAL DIR     the presets of a backup back into the slots they came from, each\n"
    "                        read back\n"
    "  settings [NODE MODEL] [KEY=VALUE...]  show the global settings, or set midi-channel (1-16,\n"
    "                        omni), midi-thru, midi-keyboard, name-crawl (on, off), contrast (0-10)\n"
    "                        or homeview (0-4) and show the result\n"
    "  reset [NODE MODEL] presets,expression,midi,display|all  restore factory settings\n"
    "  flash [NODE MODEL] FILE  write a raw or LDR firmware image into the pedal (Ctrl-C stops\n"
    "                        it after the current page and has the pedal recover)\n"
    "  effect [NODE MODEL] on|off  switch the effect as the footswitch does\n"
    "  history PEDAL         the pedal's journal of slot changes: number, time, operation, slots\n"
    "  undo PEDAL [--force]  put back the slots of the newest change not undone; a slot changed\n"
    "                        since stops it unless --force\n"
    "  redo PEDAL [--force]  make the most recently undone change again\n"
    "SLOT is 1-100 as the pedal shows it.\n"
    "PEDAL is NODE MODEL, or --serial SERIAL, or nothing for the only pedal connected; options\n"
    "may stand anywhere. NODE is a path or a name under /dev (or HARBRIX_DEV_ROOT); MODEL is MIV3\n"
    "or NAX3. HARBRIX_USB_INVENTORY=COMMAND lists USB devices in place of the system.\n"
    "--log shows the WRITE:/READ: traffic on standard error.\n"
    "Every command that changes slots (put, erase, rename, move, copy, swap, delete, restore,\n"
    "reset with presets) is journaled per pedal in $XDG_DATA_HOME/com.qor.wharvel/journal, so\n"
    "it can be undone.\n";

}  // namespace
}  // namespace harbrix::ctl

int main(int argc, char** argv) {
    using namespace harbrix::ctl;
    std::string error;
    const auto line = CommandLine::parse(argc, argv, {"serial"}, error);
    if (!line) {
        std::fputs(kUsage, stderr);
        return usageError(error);
    }
    if (line->flag("log")) setenv("HARBRIX_LOG", "stderr", 1);
    const std::map<std::string, int (*)(const CommandLine&)> commands = {
        {"identify", identifyCommand},
        {"list", listCommand},
        {"watch", watchCommand},
        {"update", updateCommand},
        {"presets", presetsCommand},
        {"get", getCommand},
        {"put", putCommand},
        {"erase", eraseCommand},
        {"rename", renameCommand},
        {"select", selectCommand},
        {"backup", backupCommand},
        {"restore", restoreCommand},
        {"settings", settingsCommand},
        {"reset", resetCommand},
        {"flash", flashCommand},
        {"effect", effectCommand},
        {"move", moveCommand},
        {"copy", copyCommand},
        {"swap", swapCommand},
        {"delete", deleteCommand},
        {"history", historyCommand},
        {"undo", undoCommand},
        {"redo", redoCommand},
    };
    if (line->command == "help" || line->flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto command = commands.find(line->command);
    if (command == commands.end()) {
        std::fputs(kUsage, stderr);
        return usageError("unknown command \"" + line->command + "\"");
    }
    return command->second(*line);
}
