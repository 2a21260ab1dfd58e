// The payload cache (verify, delete when corrupt, download) and the software installation.
#include "updates/Stinger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "link/Checksum.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "updates/DMGExtractor.h"
#include "updates/Download.h"
#include "updates/FileReplace.h"
#include "updates/UpdateLocations.h"

namespace harbrix {
namespace {

constexpr const char* kInstalledItem = "Harbrix.app/Contents";

bool verified(const Bytes& payload, const UpdateEntry& entry) {
    return static_cast<std::int64_t>(payload.size()) == entry.size &&
           MD5String(payload) == entry.hash;
}

// Writable by this user. Root may write anywhere, so for root a folder without any write
// permission bit counts as read-only too.
bool writableFolder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

std::optional<Bytes> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return content;
}

}  // namespace

std::optional<Bytes> Stinger::cached(const UpdateEntry& entry) {
    if (entry.empty || folder_.empty() || !entry.hasSafeName() || entry.hash.empty())
        return std::nullopt;
    const auto baseline = entry.parsedBaseline();
    if (!baseline) return std::nullopt;
    if (const auto refusal = baselineRefusal(*baseline)) {
        logLine(*refusal);
        return std::nullopt;
    }
    if (!entry.sizeInRange()) return std::nullopt;
    const std::string path = folder_ + "/" + entry.name;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    if (static_cast<std::int64_t>(info.st_size) != entry.size) {
        ::unlink(path.c_str());
        return std::nullopt;
    }
    auto payload = readFile(path);
    if (payload && verified(*payload, entry)) return payload;
    ::unlink(path.c_str());
    return std::nullopt;
}

std::optional<Bytes> Stinger::download(const UpdateEntry& entry) {
    if (entry.empty || folder_.empty() || !entry.hasSafeName() || entry.hash.empty() ||
        !entry.sizeInRange())
        return std::nullopt;
    const std::string url = UpdateLocations::payloadURL(manifest(), entry.name);
    auto payload = downloadURL(url, static_cast<std::size_t>(entry.size));
    if (!payload || !verified(*payload, entry)) return std::nullopt;
    createDirectories(folder_);
    if (!writeFileAtomically(folder_ + "/" + entry.name,
                             std::string(payload->begin(), payload->end())))
        return std::nullopt;
    logFormat("downloaded %s (%lld bytes)", entry.name.c_str(), static_cast<long long>(entry.size));
    return payload;
}

std::optional<std::string> Stinger::cachedPath(const std::string& name) const {
    UpdateEntry probe;
    probe.name = name;
    if (folder_.empty() || !probe.hasSafeName()) return std::nullopt;
    const std::string path = folder_ + "/" + name;
    if (!fileExists(path)) return std::nullopt;
    return path;
}

void Stinger::setInstallBundle(std::string bundle) {
    std::lock_guard lock(mutex_);
    installBundle_ = std::move(bundle);
}

std::string Stinger::installBundle() const {
    {
        std::lock_guard lock(mutex_);
        if (!installBundle_.empty()) return installBundle_;
    }
    return Bundle::bundlePath().value_or("");
}

std::optional<std::string> Stinger::relaunchScript() const {
    const std::string bundle = installBundle();
    if (bundle.empty()) return std::nullopt;
    const std::string script = bundle + "/Contents/Resources/Scripts/bounce.sh";
    if (!fileExists(script)) return std::nullopt;
    return script;
}

bool Stinger::installsItself() const {
    const std::string bundle = installBundle();
    return !bundle.empty() && !packageManagerOwns(bundle) && writableFolder(bundle) &&
           writableFolder(bundle + "/Contents");
}

bool Stinger::update(std::function<void(bool)> completion) {
    if (!completion) return false;
    const auto finish = [completion](bool success) {
        rail(Rails::main(), [completion, success] { completion(success); });
    };
    if (!updateAvailable()) {
        showUpToDateModal();
        finish(true);
        return true;
    }
    if (!installsItself()) {
        logLine(
            "update: the application's folder is not writable; the system's package manager "
            "installs new releases");
        finish(false);
        return true;
    }
    // Process-wide for the same reason as the check rails.
    static const QueueRef installRail = railsQueue("com.qor.wharvel.stinger.install");
    const std::string bundle = installBundle();
    std::weak_ptr<Stinger> weak = weak_from_this();
    installRail->async([weak, finish, bundle] {
        const auto self = weak.lock();
        const auto latest = self ? self->latestEntry() : std::nullopt;
        const auto image = latest ? self->cachedPath(latest->name) : std::nullopt;
        if (!image || bundle.empty()) {
            logLine("software update not installed: no verified image in the cache");
            finish(false);
            return;
        }
        const bool installed = DMGExtractor::extract(kInstalledItem, *image, bundle).has_value();
        if (!installed) logFormat("software update not installed from %s", image->c_str());
        finish(installed);
    });
    return true;
}

}  // namespace harbrix
