#include "DeviceSession.h"

#include "devices/DeviceRegistry.h"
#include "devices/Metas.h"
#include "devices/NodeNames.h"
#include "link/Rails.h"
#include "platform/MainLoop.h"
#include "platform/Paths.h"

namespace harbrix::ctl {
namespace {

bool isModelName(const std::string& word) { return word == "MIV3" || word == "NAX3"; }

std::string pedalList(const Metas& metas) {
    std::string list;
    for (const Meta& meta : metas) list += (list.empty() ? "" : ", ") + meta.name() + " " + meta.serial();
    return list;
}

// The one pedal of this discovery pass with that serial, or the only one when none is given.
std::optional<Meta> discoveredPedal(const std::optional<std::string>& serial, std::string& error) {
    const auto metas = Metas::metas();
    if (serial) {
        const Meta* meta = metas ? (*metas)[*serial] : nullptr;
        if (meta == nullptr) error = "no pedal with serial " + *serial + " found";
        return meta ? std::optional<Meta>(*meta) : std::nullopt;
    }
    if (!metas || metas->size() == 0) {
        error = "no pedal found (name one with NODE MODEL or --serial SERIAL)";
        return std::nullopt;
    }
    if (metas->size() > 1) {
        error = std::to_string(metas->size()) + " pedals found (" + pedalList(*metas) +
                "): choose one with --serial SERIAL";
        return std::nullopt;
    }
    return *metas->begin();
}

}  // namespace

std::shared_ptr<DeviceSession> DeviceSession::create(const std::string& node, const std::string& model,
                                                     std::string& error) {
    if (node.empty()) {
        error = "no device node given";
        return nullptr;
    }
    if (!isModelName(model)) {
        error = "unknown model \"" + model + "\" (MIV3 or NAX3)";
        return nullptr;
    }
    const auto slash = node.rfind('/');
    const std::string filename = slash == std::string::npos ? node : node.substr(slash + 1);
    const auto serial = serialFromNodeName(filename);

    auto session = std::shared_ptr<DeviceSession>(new DeviceSession);
    session->device_ = std::make_shared<QORUARTDevice>(filename, model, serial.value_or(""));
    auto& device = *session->device_;
    if (slash != std::string::npos) device.setDeviceRoot(slash == 0 ? "/" : node.substr(0, slash));

    // The cache keeps the node's file number, so a pedal already switched to its fast speed
    // is not told to switch again.
    if (serial) device.loadCache();
    device.setQueue(railsQueue(filename));
    return session;
}

std::shared_ptr<DeviceSession> DeviceSession::create(const Meta& meta, std::string& error) {
    auto device = DeviceRegistry::device(meta);
    if (!device) {
        error = "cannot prepare " + meta.path() + " (cache folder or queue)";
        return nullptr;
    }
    auto session = std::shared_ptr<DeviceSession>(new DeviceSession);
    session->device_ = std::move(device);
    return session;
}

std::shared_ptr<DeviceSession> DeviceSession::fromCommandLine(const CommandLine& line, std::string& error,
                                                              std::size_t ownArguments,
                                                              std::size_t optionalArguments) {
    const auto& words = line.arguments;
    const std::size_t most = ownArguments + optionalArguments;
    const auto serialOption = line.options.find("serial");
    // NODE MODEL when the line has room for them and either needs them to fit or names a model.
    const bool nodeAndModel = serialOption == line.options.end() && words.size() >= ownArguments + 2 &&
                              (words.size() > most || isModelName(words[1]));
    const std::size_t skipped = nodeAndModel ? 2 : 0;
    const std::size_t own = words.size() - skipped;
    if (own < ownArguments || own > most) {
        const std::string count = std::to_string(ownArguments) +
                                  (optionalArguments ? " to " + std::to_string(most) : "");
        error = line.command + " takes NODE MODEL, --serial SERIAL or neither, and " +
                (most == 0 ? "nothing else" : count + " more argument(s)");
        return nullptr;
    }
    std::shared_ptr<DeviceSession> session;
    if (nodeAndModel) {
        session = create(words[0], words[1], error);
    } else {
        std::optional<std::string> serial;
        if (serialOption != line.options.end()) serial = serialOption->second;
        if (const auto meta = discoveredPedal(serial, error)) session = create(*meta, error);
    }
    if (session) session->arguments_.assign(words.begin() + static_cast<std::ptrdiff_t>(skipped), words.end());
    return session;
}

DeviceSession::~DeviceSession() {
    // Let pending cache writes land before the program ends.
    railSync(Rails::disk(), [] {});
}

int DeviceSession::run(const std::function<int(QORUARTDevice&)>& work) {
    int result = 1;
    auto device = device_;
    rail(device->queue(), [&result, &work, device] {
        result = work(*device);
        rail(Rails::main(), [] { MainLoop::quit(); });
    });
    MainLoop::run();
    return result;
}

}  // namespace harbrix::ctl
