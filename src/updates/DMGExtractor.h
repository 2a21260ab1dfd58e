// Disk-image operations of the software installation: mount a release image, take an item
// out of it, detach it. Mounting goes through "hdiutil" (on Linux, the bundle's stand-in
// that unpacks a compressed tar image under a volumes folder of ours).
#pragma once

#include <optional>
#include <string>

#include "updates/MountInfo.h"

namespace harbrix {

class DMGExtractor {
  public:
    DMGExtractor() = delete;

    // "attach IMAGE -nobrowse" with `hdiutil` (tool() when empty); the first Apple_HFS
    // partition line names the result.
    static std::optional<MountInfo> mount(const std::string& image, std::string hdiutil = {});
    // "detach DISK" with `hdiutil` (tool() when empty); its result is ignored. An empty name
    // does nothing.
    static void eject(const std::string& disk, std::string hdiutil = {});
    // Copies `item` (relative to the image's root, e.g. "Harbrix.app/Contents") into the
    // folder `destination`, replacing what is there under the item's last name; returns the
    // placed item's path. The image is always detached again once it was mounted, by the
    // same tool that attached it; a tool inside `destination` (the running bundle's own
    // stand-in) is run from a private copy, since the replacement takes it away.
    static std::optional<std::string> extract(const std::string& item, const std::string& image,
                                              const std::string& destination);
    // As above, into a new folder under the system's temporary folder.
    static std::optional<std::string> extract(const std::string& item, const std::string& image);

    // The first line "/dev/diskNsM <white space> Apple_HFS <white space> ROOT/..." of an
    // attach output, ROOT being the volumes folder.
    static std::optional<MountInfo> parseAttachOutput(const std::string& output,
                                                      const std::string& volumesRoot);
    // "/usr/bin/hdiutil" on macOS, "Scripts/hdiutil" of the bundle elsewhere;
    // HARBRIX_HDIUTIL overrides it.
    static std::string tool();
    // "/Volumes" on macOS; HARBRIX_VOLUMES, else $XDG_RUNTIME_DIR/harbrix-volumes, else
    // /tmp/harbrix-volumes-UID elsewhere. The stand-in computes the same folder.
    static std::string volumesRoot();
};

}  // namespace harbrix
