// Command-line parsing. Every value is checked; a simulator that quietly ignored a typo
// in a fault option would make a test pass for the wrong reason.
#include "Options.h"

#include <charconv>
#include <limits>
#include <map>
#include <set>

#include "Commands.h"

namespace harbrix::pedalsim {
namespace {

template <typename T>
std::optional<T> parseUnsigned(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        value > std::numeric_limits<T>::max()) {
        return std::nullopt;
    }
    return static_cast<T>(value);
}

std::optional<std::array<std::uint8_t, 4>> parseTimeouts(std::string_view text) {
    std::array<std::uint8_t, 4> timeouts{};
    for (std::size_t i = 0; i < timeouts.size(); ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i + 1 == timeouts.size();
        if (last != (comma == std::string_view::npos)) return std::nullopt;
        const auto value = parseUnsigned<std::uint8_t>(text.substr(0, comma));
        if (!value) return std::nullopt;
        timeouts[i] = *value;
        if (!last) text.remove_prefix(comma + 1);
    }
    return timeouts;
}

// CMD=E, CMD@ARGUMENT=E for the requests with that argument only, or CMD#N=E for the
// nth request of that command only (N from 1).
bool parseError(std::string_view text, FaultPlan& faults) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view target = text.substr(0, equals);
    const std::size_t at = target.find_first_of("@#");
    const auto command = parseCommand(target.substr(0, at));
    const auto code = parseUnsigned<std::uint8_t>(text.substr(equals + 1));
    if (!command || !code) return false;
    if (at == std::string_view::npos) {
        faults.errors[*command] = *code;
        return true;
    }
    if (target[at] == '#') {
        const auto nth = parseUnsigned<std::uint64_t>(target.substr(at + 1));
        if (!nth || *nth == 0) return false;
        faults.nthErrors[{*command, *nth}] = *code;
        return true;
    }
    const auto argument = parseUnsigned<std::uint32_t>(target.substr(at + 1));
    if (!argument) return false;
    faults.argumentErrors[{*command, *argument}] = *code;
    return true;
}

// "CMD=N" with N from 1: which request or reply of that command a fault hits.
bool parseNth(std::string_view text, std::map<std::uint8_t, std::uint64_t>& into) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    const auto command = parseCommand(text.substr(0, equals));
    const auto nth = parseUnsigned<std::uint64_t>(text.substr(equals + 1));
    if (!command || !nth || *nth == 0) return false;
    into[*command] = *nth;
    return true;
}

// "CMD#N=SLOT" with N from 1 and SLOT from 1 to 100.
bool parseOwnerEdit(std::string_view text, OwnerPlan& owner) {
    const std::size_t hash = text.find('#');
    const std::size_t equals = text.find('=');
    if (hash == std::string_view::npos || equals == std::string_view::npos || equals < hash)
        return false;
    const auto command = parseCommand(text.substr(0, hash));
    const auto nth = parseUnsigned<std::uint64_t>(text.substr(hash + 1, equals - hash - 1));
    const auto slot = parseUnsigned<std::size_t>(text.substr(equals + 1));
    if (!command || !nth || *nth == 0 || !slot || *slot == 0 || *slot > kSlotCount) return false;
    owner.edits[{*command, *nth}] = *slot - 1;
    return true;
}

// "N@MS": N stray bytes MS milliseconds after a reply.
bool parseTrailing(std::string_view text, FaultPlan& faults) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos) return false;
    const auto count = parseUnsigned<std::uint16_t>(text.substr(0, at));
    const auto ms = parseUnsigned<std::uint32_t>(text.substr(at + 1));
    if (!count || *count == 0 || !ms) return false;
    faults.trailing = *count;
    faults.trailingDelay = std::chrono::milliseconds(*ms);
    return true;
}

bool validSerial(const std::string& serial) {
    return !serial.empty() && serial.find('/') == std::string::npos;
}

}  // namespace

const char* const kUsage =
    "usage: pedalsim --model MIV3|NAX3 --serial SERIAL --dir DIR [--firmware 42.1.0]\n"
    "                [--date \"Mar 4 2021 10:11:12\"] [--state FILE] [--qor-name]\n"
    "                [--latency MS] [--pace] [--timeouts R,G,F,C] [--fail-after N]\n"
    "                [--error CMD[@ARG|#N]=E]... [--stray N] [--crlf] [--log]\n"
    "                [--record FILE] [--corrupt CMD=N]... [--silent-from CMD=N]...\n"
    "                [--replug-ms MS] [--no-node] [--reset-restarts]\n"
    "                [--owner-edit CMD#N=SLOT]... [--owner-file FILE]\n"
    "                [--chunk-ms MS] [--gap-ms MS] [--trailing N@MS]\n"
    "       signals: USR1 restarts the pedal at its boot speed on the same node; USR2 unplugs\n"
    "       it for --replug-ms (2500) and plugs it back in; HUP drops every fault option\n"
    "       the owner saves SLOT on the pedal itself (master volume one step up; an empty slot\n"
    "       gets \"Saved on pedal\") before the Nth CMD is answered, or the slots listed in FILE\n"
    "       (1-100, one a line) before the next request; FILE goes once they are saved\n"
    "       replies come in pieces MS apart (--chunk-ms), the first reply of more than two\n"
    "       bytes pauses MS in its middle (--gap-ms), and N stray bytes follow the first reply\n"
    "       that is not text or a list MS later (--trailing)\n"
    "       pedalsim inventory DIR   (the USB inventory of the simulators running in DIR)\n"
    "       pedalsim --help | --version\n";

std::string Options::nodeName() const {
    if (qorName) return "cu.qor" + modelName(identity.model) + "-" + serial;
    return "cu.usbserial-" + serial;
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error) {
    Options options;
    bool haveModel = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool flag = option == "--qor-name" || option == "--pace" || option == "--crlf" ||
                          option == "--log" || option == "--no-node" ||
                          option == "--reset-restarts";
        if (flag) {
            if (option == "--no-node") options.noNode = true;
            if (option == "--reset-restarts") options.identity.resetRestarts = true;
            if (option == "--qor-name") options.qorName = true;
            if (option == "--pace") options.pace = true;
            if (option == "--crlf") options.identity.crlf = true;
            if (option == "--log") options.log = true;
            continue;
        }
        static const std::set<std::string> valued = {
            "--model",      "--serial",     "--dir",       "--firmware",    "--date",
            "--state",      "--latency",    "--replug-ms", "--timeouts",    "--fail-after",
            "--error",      "--record",     "--corrupt",   "--silent-from", "--stray",
            "--owner-edit", "--owner-file", "--chunk-ms",  "--gap-ms",      "--trailing"};
        if (valued.count(option) == 0) {
            error = option.rfind("--", 0) == 0 ? "unknown option " + option : "unknown " + option;
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        bool good = true;
        if (option == "--model") {
            const auto model = parseModel(value);
            good = model.has_value();
            if (model) options.identity.model = *model;
            haveModel = good;
        } else if (option == "--serial") {
            options.serial = value;
            good = validSerial(value);
        } else if (option == "--dir") {
            options.dir = value;
            good = !value.empty();
        } else if (option == "--firmware") {
            options.identity.firmware = value;
            good = !value.empty();
        } else if (option == "--date") {
            options.identity.date = value;
        } else if (option == "--state") {
            options.statePath = value;
            good = !value.empty();
        } else if (option == "--latency") {
            const auto ms = parseUnsigned<std::uint32_t>(value);
            good = ms.has_value();
            if (ms) options.faults.latency = std::chrono::milliseconds(*ms);
        } else if (option == "--replug-ms") {
            const auto ms = parseUnsigned<std::uint32_t>(value);
            good = ms.has_value();
            if (ms) options.replugPause = std::chrono::milliseconds(*ms);
        } else if (option == "--timeouts") {
            const auto timeouts = parseTimeouts(value);
            good = timeouts.has_value();
            if (timeouts) options.identity.timeouts = *timeouts;
        } else if (option == "--fail-after") {
            options.faults.failAfter = parseUnsigned<std::uint64_t>(value);
            good = options.faults.failAfter.has_value();
        } else if (option == "--error") {
            good = parseError(value, options.faults);
        } else if (option == "--record") {
            options.recordPath = value;
            good = !value.empty();
        } else if (option == "--corrupt") {
            good = parseNth(value, options.faults.corrupt);
        } else if (option == "--silent-from") {
            good = parseNth(value, options.faults.silentFrom);
        } else if (option == "--owner-edit") {
            good = parseOwnerEdit(value, options.owner);
        } else if (option == "--owner-file") {
            options.owner.file = value;
            good = !value.empty();
        } else if (option == "--chunk-ms" || option == "--gap-ms") {
            const auto ms = parseUnsigned<std::uint32_t>(value);
            good = ms.has_value();
            if (ms)
                (option == "--gap-ms" ? options.faults.gap : options.faults.chunkPause) =
                    std::chrono::milliseconds(*ms);
        } else if (option == "--trailing") {
            good = parseTrailing(value, options.faults);
        } else if (option == "--stray") {
            const auto stray = parseUnsigned<std::uint16_t>(value);
            good = stray.has_value();
            if (stray) options.faults.stray = *stray;
        } else {
            error = "unknown option " + option;
            return std::nullopt;
        }
        if (!good) {
            error = "bad value for " + option + ": \"" + value + "\"";
            return std::nullopt;
        }
    }
    if (!haveModel || options.serial.empty() || options.dir.empty()) {
        error = "--model, --serial and --dir are required";
        return std::nullopt;
    }
    return options;
}

}  // namespace harbrix::pedalsim
