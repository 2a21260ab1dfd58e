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

// A library id as the user writes it; none for anything but a positive number.
std::optional<std::int64_t> parseLibraryId(const std::string& text);

// What the user named by id, found with `find` (Library::preset, Library::snapshot); none,
// after saying why in `status`. A word that is not an id, or an id the library has no
// `record` of, is a usage error ("... is not a library id (see library list)").
struct RecordName {
    const char* id;       // "library", "snapshot"
    const char* record;   // "preset", "snapshot"
    const char* listing;  // the command that lists them
};
int recordNotFound(const RecordName& name, const std::string& word,
                   const std::optional<std::string>& problem);
template <typename Record>
std::optional<Record> namedRecord(Library& kept, const std::string& word, const RecordName& name,
                                  LibraryResult<Record> (Library::*find)(std::int64_t),
                                  int& status) {
    const auto id = parseLibraryId(word);
    if (!id) {
        status = recordNotFound(name, word, std::nullopt);
        return std::nullopt;
    }
    auto found = (kept.*find)(*id);
    if (!found) status = recordNotFound(name, word, found.problem);
    return found.value;
}

}  // namespace harbrix::ctl
