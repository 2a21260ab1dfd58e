// The manifest beside the files of a backup, so that restoring puts every preset back into the
// slot it came from: {"model": "MIV3", "presets": [{"slot": 1, "file": "Lead.qorpreset"}, ...]}
// with slots numbered as the user sees them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace harbrix::ctl {

inline constexpr const char* kManifestName = "harbrix-backup.json";

struct BackupEntry {
    std::size_t slot = 0;  // 0-based
    std::string file;      // a name inside the backup's folder
};

struct BackupManifest {
    std::string model;
    std::vector<BackupEntry> entries;
};

bool writeManifest(const std::string& folder, const BackupManifest& manifest);
// None, with the reason in `why`, for a manifest that is missing or malformed, names a slot
// outside 1..100 or twice, or a file outside the folder.
std::optional<BackupManifest> readManifest(const std::string& folder, std::string& why);

}  // namespace harbrix::ctl
