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
    "  identify NODE MODEL   bring a pedal up and show its identity, settings and occupied slots\n"
    "NODE is a path or a name under /dev (or HARBRIX_DEV_ROOT); MODEL is MIV3 or NAX3.\n"
    "--log shows the WRITE:/READ: traffic on standard error.\n";

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
