// The bring-up answers of a scripted pedal.
#include "support/ScriptedBringUp.h"

#include "link/Commands.h"

namespace harbrix::test {

ScriptedLine::Responder bringUpResponder(const std::string& model, const std::string& firmware) {
    return [model, firmware](const Bytes& request) -> std::optional<Bytes> {
        switch (request.at(0)) {
            case Command::WHO_RU:
                return textReply("QOR,," + model + ",," + firmware);
            case Command::GET_CMDS:
                return okReply({1, 2, 3, 5, 13, 16, 112, 128, 129, 130, 131, 132, 240, 242, 0});
            case Command::GET_TMO:
                return okReply({0, 0, 0, 0});
            case Command::PRESET_INFO:
                return okReply({100, 104, 0});
            default:
                return okReply();
        }
    };
}

std::shared_ptr<QORUARTDevice> scriptedDevice(const std::shared_ptr<ScriptedLine>& line,
                                              const std::string& model, const std::string& firmware,
                                              ScriptedLine::Responder responder) {
    line->setResponder(bringUpResponder(model, firmware));
    auto device = std::make_shared<QORUARTDevice>("cu.usbserial-SCRIPTED", model, "", line);
    if (!device->completeInitialization()) return nullptr;
    line->setResponder(std::move(responder));
    return device;
}

}  // namespace harbrix::test
