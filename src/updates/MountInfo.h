// A mounted disk image: the partition's device name (to detach it) and its mount point.
#pragma once

#include <optional>
#include <string>

namespace harbrix {

struct MountInfo {
    std::string disk;  // "disk4s2", without "/dev/"
    std::string root;  // "/Volumes/Harbrix 2.1"

    // None unless both are non-empty.
    static std::optional<MountInfo> infoWithDisk(const std::string& disk, const std::string& root);
};

}  // namespace harbrix
