// harbrixctl's way to the preset library: opened once per run, on first use. Every preset a
// command reads from a pedal or a file goes into it; a library that cannot be opened or
// written is said on standard error and the command goes on without it.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/Preset.h"
#include "library/Library.h"

namespace harbrix {
class QORUARTDevice;
}

namespace harbrix::ctl {

// The user's library; none, after saying why once, when it cannot be opened.
Library* library();

// Keeps what was read without asking; a failure is only said.
void keepFromPedal(const QORUARTDevice& device, std::size_t slot, const Preset& preset);
void keepFromFile(const std::string& model, const Preset& preset, const std::string& path);
// Keeps the pedal as a snapshot; `occupied` holds every slot that is not empty.
std::optional<SnapshotRecord> keepSnapshot(
    const QORUARTDevice& device, const std::map<std::size_t, std::shared_ptr<Preset>>& occupied);

// Every occupied slot of the pedal, read from it (with a progress bar); none, after saying
// why, when the pedal did not say which slots it uses or a slot could not be read.
std::optional<std::map<std::size_t, std::shared_ptr<Preset>>> readPedal(QORUARTDevice& device,
                                                                        const std::string& label,
                                                                        int& status);
// The slots as bytes, none for an empty slot, as the library compares them.
std::vector<std::optional<Bytes>> slotBytes(
    const QORUARTDevice& device, const std::map<std::size_t, std::shared_ptr<Preset>>& occupied);

// A library id as the user writes it; none for anything but a positive number.
std::optional<std::int64_t> parseLibraryId(const std::string& text);

}  // namespace harbrix::ctl
