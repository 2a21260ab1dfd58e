// Preset files ("NAME.qorpreset"): the model's vendor and product numbers, each unsigned 32-bit
// little-endian, then the preset's saved bytes (at least 104). Every reader and writer of the
// format goes through here, and so does the rule that turns a preset name into a file name.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "devices/Preset.h"
#include "platform/Bytes.h"

namespace harbrix {

class Model;

inline constexpr const char* kPresetFileExtension = "qorpreset";
inline constexpr std::size_t kPresetFilePrefixSize = 8;
// Far beyond any preset; a larger file is not read into memory at all.
inline constexpr std::size_t kPresetFileMaxSize = 1 << 20;

struct PresetFileRead {
    std::shared_ptr<Preset> preset;  // none when refused
    std::string refusal;             // why, in words for the user ("is 111 bytes long, ...")
};

// The file's bytes for a preset body; none without a model or a body.
std::optional<Bytes> presetFileBytes(const Bytes& body, const Model* model);
// Accepts a file made for `model` of at least 112 bytes; the body is taken as it is.
PresetFileRead parsePresetFile(const Bytes& bytes, const Model* model);
// Reads the whole file and parses it.
PresetFileRead readPresetFile(const std::string& path, const Model* model);
// The same by model name ("MIV3", "NAX3"), for files handled without a pedal at hand.
std::optional<Bytes> presetFileBytes(const Bytes& body, const std::string& modelName);
PresetFileRead parsePresetFile(const Bytes& bytes, const std::string& modelName);
// Reads a file made for either model; `modelName` gets the model its prefix names.
PresetFileRead readPresetFileOfAnyModel(const std::string& path, std::string& modelName);

// The file name (without extension) for a preset name: "~" shows as U+F888 as it does on
// screen; "/" and NUL, which would lead out of the chosen folder, become "-", and so does a
// name that is only "." or "..". May be empty.
std::string presetFileBasename(const std::string& presetName);
// Replaces whatever is at `path`, atomically.
bool writePresetFile(const std::string& path, const Bytes& fileBytes);
// Writes "FOLDER/BASENAME.qorpreset", or BASENAME-2, -3, ... when the name is taken; never
// replaces a file, and needs no hard link. The path written, or none with errno saying why.
std::optional<std::string> writePresetFileInFolder(const std::string& folder,
                                                   const std::string& basename,
                                                   const Bytes& fileBytes);

}  // namespace harbrix
