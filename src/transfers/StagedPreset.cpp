// Checking a preset file before it is staged.
#include "transfers/StagedPreset.h"

#include "devices/PresetFile.h"
#include "link/Request.h"

namespace harbrix {
namespace {

std::string fileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

StagedPreset stagePresetFile(const std::string& path, const QORUARTDevice& device) {
    const std::string name = fileName(path);
    const PresetFileRead read = readPresetFile(path, device.model().get());
    if (!read.preset) return {nullptr, "Not staged: " + name + " " + read.refusal + "."};
    const std::size_t size = read.preset->serialized().size();
    const std::size_t takes =
        elementSize(device.presetsSchema().stride) * device.presetsSchema().parameters;
    if (size != takes) {
        return {nullptr, "Not staged: " + name + " holds a " + std::to_string(size) +
                             "-byte preset; the " + device.name() + " takes " +
                             std::to_string(takes) + "."};
    }
    return {read.preset, {}};
}

}  // namespace harbrix
