// Feeds arbitrary files to the preset-file reader, and the same bytes as a preset name to the
// file-name rule. An accepted file must give back its own bytes and survive every key being
// read, written and undone; a file name must never lead out of its folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "devices/PresetFile.h"
#include "link/Model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto model =
        harbrix::Model::modelFromSerializedRepresentation("QOR,,MIV3,,42.1.0");
    const harbrix::Bytes bytes(data, data + size);

    const std::string basename =
        harbrix::presetFileBasename(std::string(bytes.begin(), bytes.end()));
    if (basename.find('/') != std::string::npos || basename.find('\0') != std::string::npos ||
        basename == "." || basename == "..") {
        __builtin_trap();
    }

    const auto read = harbrix::parsePresetFile(bytes, model.get());
    if (!read.preset) {
        if (read.refusal.empty()) __builtin_trap();
        return 0;
    }
    auto& preset = *read.preset;
    if (harbrix::presetFileBytes(preset.clean(), model.get()) != bytes) __builtin_trap();
    std::size_t sum = preset.name().size() + preset.displayName().size() + preset.hash();
    for (const std::string& key : harbrix::Preset::mapKeys()) {
        const auto value = preset.value(key);
        if (!value) __builtin_trap();
        preset.setValue(key, *value + 1);
        sum += static_cast<std::size_t>(*value);
    }
    preset.editName(preset.name() + "~");
    while (preset.canUndo()) preset.undo();
    if (preset.dirty()) __builtin_trap();
    volatile std::size_t sink = sum;
    (void)sink;
    return 0;
}
