// SettingsBlock from the state block and from a memory read.
#include "link/SettingsBlock.h"

namespace harbrix {
namespace {

std::uint32_t wordAt(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

SettingsBlock SettingsBlock::fromLCXreply(const LCXreply& reply) {
    SettingsBlock block;
    block.midiChannel = reply.chOM;
    block.midiThru = reply.thru;
    block.midiKeyboard = reply.enKbN;
    block.midiPitchWheelSensitivity = reply.pwms;
    block.displayContrast = reply.dfCont;
    block.displayHomeview = reply.dfHOscn;
    block.displayNameCrawl = reply.dfCRen;
    return block;
}

std::optional<SettingsBlock> SettingsBlock::fromWords(const Bytes& words) {
    if (words.size() < 28) return std::nullopt;
    SettingsBlock block;
    block.midiChannel = wordAt(words, 0);
    block.midiThru = wordAt(words, 4);
    block.midiKeyboard = wordAt(words, 8);
    block.midiPitchWheelSensitivity = wordAt(words, 12);
    block.displayContrast = wordAt(words, 16);
    block.displayHomeview = wordAt(words, 20);
    block.displayNameCrawl = wordAt(words, 24);
    return block;
}

}  // namespace harbrix
