// Import: copying presets out of the pedal's cache into preset files in a folder the user
// chose. The records are made on the main thread from the cache; the files are written on
// the disk rail, each under its preset's name, or NAME-2, NAME-3 ... when that is taken. No
// file is ever replaced.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/QORUARTDevice.h"
#include "platform/Bytes.h"

namespace harbrix {

struct ImportRecord {
    std::string basename;  // the file name without extension, "~" shown as U+F888
    Bytes data;            // the whole file
    std::size_t index = 0;
};

struct ImportPlan {
    std::vector<ImportRecord> records;  // one per slot, in ascending slot order
    std::string refusal;                // one line for the user when no record could be made
};

struct ImportReport {
    std::string folder;
    std::vector<std::string> written;                           // paths
    std::vector<std::pair<std::string, std::string>> failures;  // file name, why
    // One line naming the files that could not be written and why; empty when all were.
    std::string notice() const;
    // Where the files went and what could not be written: "Wrote 3 files to /home/a/Presets."
    std::string summary() const;
};

class PresetImport {
  public:
    // The records for the slots' cached presets; none (and a refusal) when any slot holds
    // no known preset or one that cannot be made into a file.
    static ImportPlan plan(const QORUARTDevice& device, std::vector<std::size_t> indices);
    // Writes the records into the folder, on the calling thread.
    static ImportReport write(const std::string& folder, const std::vector<ImportRecord>& records);
    // Writes them on the disk rail; the report comes back on the main rail.
    static void post(std::string folder, std::vector<ImportRecord> records,
                     std::function<void(const ImportReport&)> done);
};

}  // namespace harbrix
