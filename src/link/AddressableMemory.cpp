// The memory map's table of bases and the address look-up.
#include "link/AddressableMemory.h"

#include "link/Model.h"

namespace harbrix {

const std::map<std::uint16_t, std::uint32_t>& AddressableMemory::bases() {
    static const std::map<std::uint16_t, std::uint32_t> table = {
        {39, 0x11900A70},
        {40, 0x119007B0},
        {41, 0x1190080C},
        {42, 0x1190078C},
    };
    return table;
}

std::uint32_t AddressableMemory::base(const Model& model) {
    const auto it = bases().find(model.version().major);
    return it == bases().end() ? 0 : it->second;
}

AddressableMemory AddressableMemory::withBase(std::uint32_t base) {
    AddressableMemory memory;
    memory.base_ = base;
    // Each cell is one 32-bit word; the seven settings follow the selected preset in
    // the order of the settings block.
    memory.core_ = {
        {"base", base},
        {"selected-preset", 0u},
        {"midi",
         Group{{"channel", 4}, {"thru", 8}, {"keyboard", 12}, {"pitch-wheel-sensitivity", 16}}},
        {"display", Group{{"contrast", 20}, {"homeview", 24}, {"name-crawl", 28}}},
        {"factory-reset", 32u},
    };
    return memory;
}

std::optional<AddressableMemory> AddressableMemory::addressableMemory(const Model& model) {
    if (model.name() != "MIV3") return std::nullopt;
    std::uint32_t address = base(model);
    if (address == 0) address = bases().rbegin()->second;
    return withBase(address);
}

std::optional<std::uint32_t> AddressableMemory::operator[](std::string_view key) const {
    if (key.empty() || core_.empty() || base_ == 0) return std::nullopt;
    const auto slash = key.find('/');
    const std::string_view first = key.substr(0, slash);
    const std::string_view last = slash == std::string_view::npos ? first : key.substr(slash + 1);
    if (last.find('/') != std::string_view::npos || first.empty()) return std::nullopt;
    // "base" holds the absolute address, not an offset: adding the base to it again would
    // aim "base/..." at a meaningless address.
    if (first == "base") return base_;
    const auto entry = core_.find(first);
    if (entry == core_.end()) return std::nullopt;
    if (const auto* offset = std::get_if<std::uint32_t>(&entry->second)) return base_ + *offset;
    if (last.empty()) return std::nullopt;
    const auto& group = std::get<Group>(entry->second);
    const auto cell = group.find(last);
    if (cell == group.end()) return std::nullopt;
    return base_ + cell->second;
}

}  // namespace harbrix
