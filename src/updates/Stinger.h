// The update checker: one for the application itself (software) and one per pedal model
// (firmware). It reads the enciphered manifest from the update server, decides whether the
// latest release is newer and allowed on this system, keeps its verified payload in a local
// cache, tells its delegate, and installs a software release.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "link/Model.h"
#include "link/Rails.h"
#include "link/Version.h"
#include "platform/Bytes.h"
#include "updates/UpdateEntry.h"

namespace harbrix {

class Stinger;

class StingerDelegate {
  public:
    virtual ~StingerDelegate() = default;
    // A check found a newer release whose verified payload is in the cache. Called on the
    // checking thread; the receiver moves to the main rail itself.
    virtual void stingerHasAvailableUpdate(Stinger& stinger) = 0;
};

// The "Software Update" window and the "You're up to date!" alert, answered by the shell.
// Called on the main rail.
class StingerPresenter {
  public:
    virtual ~StingerPresenter() = default;
    virtual void showForUpdate(Stinger& stinger, const UpdateEntry& entry) = 0;
    virtual void hide() = 0;
    virtual void showUpToDate(const std::string& headline, const std::string& fineprint) = 0;
    // Any other answer to "is there an update?": a check that failed or has not ended yet.
    virtual void showMessage(const std::string& headline, const std::string& fineprint) {
        showUpToDate(headline, fineprint);
    }
};

// What a checker asks of the system; any function left empty takes the real source.
struct StingerFacts {
    // Software: the application's version; firmware: the current pedal's firmware version.
    std::function<std::optional<Version>()> currentVersion;
    // The baseline of a firmware release is compared with this.
    std::function<std::optional<Version>()> applicationVersion;
    // The baseline of a software release is compared with this.
    std::function<std::optional<Version>()> systemVersion;
    // Empty: the cache folder of the checker's kind.
    std::string folder;
    // False: no check at construction and no timer (one-shot tools call coreCheck themselves).
    bool periodic = true;
};

class Stinger : public FirmwareChecker, public std::enable_shared_from_this<Stinger> {
  public:
    enum class Context : unsigned { software = 0, firmware = 1 };
    // How the last completed check ended.
    enum class CheckResult {
        none,              // no check has ended yet
        updateAvailable,   // a newer release, its payload verified in the cache
        upToDate,          // the latest release is not newer
        unreachable,       // the manifest could not be fetched
        unreadable,        // the manifest did not decipher or parse, or its release is unreadable
        needsNewerBase,    // the newer release needs a newer system (or application)
        notDownloaded,     // the newer release's payload could not be fetched and verified
        noCurrentVersion,  // the version to compare with is not known
    };

    // Manifests and payloads larger than these are abandoned while downloading.
    static constexpr std::size_t kManifestLimit = 4 * 1024 * 1024;

    // None without a manifest address.
    static std::shared_ptr<Stinger> softwareStinger(const std::string& manifest,
                                                    std::weak_ptr<StingerDelegate> delegate = {},
                                                    StingerFacts facts = {});
    // None without a manifest address or model name.
    static std::shared_ptr<Stinger> firmwareStinger(const std::string& manifest,
                                                    const std::string& device,
                                                    std::weak_ptr<StingerDelegate> delegate = {},
                                                    StingerFacts facts = {});

    // The shell's window and alerts; until one is set the show operations only log.
    static void setPresenter(std::shared_ptr<StingerPresenter> presenter);
    // Seconds from the end of a check to the next: max(240, 300 - its duration).
    static double nextCheckDelay(double checkSeconds);

    Context context() const { return context_; }
    bool isSoftwareStinger() const { return context_ == Context::software; }
    bool isFirmwareStinger() const { return context_ == Context::firmware; }
    const std::string& device() const { return device_; }
    const std::string& folder() const { return folder_; }
    std::string manifest() const;
    // Only the first non-empty address is taken; taking it starts the periodic check.
    void setManifest(const std::string& manifest);
    std::shared_ptr<StingerDelegate> delegate() const;
    void setDelegate(std::weak_ptr<StingerDelegate> delegate);

    // The entries of the last manifest that parsed.
    UpdateEntries updates() const;
    bool updateAvailable() const { return updateAvailable_.load(); }
    // Why the last check found no update ("" after one that found one), for tools and logs.
    std::string lastOutcome() const;
    CheckResult lastResult() const;
    // Whether a check is queued or running.
    bool checking() const { return checks_.load() > 0; }

    // One periodic check on the checker's own background rail; it schedules the next.
    void check();
    // One extra check now, without scheduling another.
    void refresh();
    // The check itself; blocking.
    bool coreCheck();

    // The verified cached payload of an entry; a cached file of the wrong size or digest is
    // deleted.
    std::optional<Bytes> cached(const UpdateEntry& entry);
    // Downloads and verifies an entry's payload and stores it in the cache.
    std::optional<Bytes> download(const UpdateEntry& entry);
    // folder/name when that file exists.
    std::optional<std::string> cachedPath(const std::string& name) const;

    std::optional<Version> currentVersion() const;
    std::optional<Version> latestVersion() const;
    std::optional<UpdateEntry> latestEntry() const;
    // The latest entry's verified cached payload.
    std::optional<Bytes> updatePayload();

    // Installs the latest software release into the running bundle on a background rail and
    // calls `completion` on the main rail with the outcome. False only without a completion.
    // Where the bundle cannot be replaced (installsItself() is false) nothing is touched and
    // the outcome is false.
    bool update(std::function<void(bool)> completion);
    // The bundle folder that update() replaces "Contents" in; the running bundle by default.
    void setInstallBundle(std::string bundle);
    std::string installBundle() const;
    // The relaunch script ("Scripts/bounce.sh") of that bundle as it is now, after an
    // installation the new one's; none when the bundle lacks it.
    std::optional<std::string> relaunchScript() const;
    // Whether update() can replace the bundle: false when this user may not write to it, or
    // when it lies where the system's package manager keeps its files (a package install,
    // which the package manager updates too), even for root.
    bool installsItself() const;

    void showWindowIfUpdateAvailable();
    void showWindowForUpdate(const UpdateEntry& entry);
    void hideWindow();
    void showUpToDateModal();

  private:
    Stinger(Context context, std::string device, std::weak_ptr<StingerDelegate> delegate,
            StingerFacts facts);

    // The baseline rule: none when allowed, else the log line refusing the release.
    std::optional<std::string> baselineRefusal(const Version& baseline) const;
    void tellDelegate();
    void setOutcome(CheckResult result, std::string outcome);
    // Runs coreCheck on the check rail, counted in checks_ from now until it has ended; `then`
    // hears how long the check itself took.
    void checkOnRail(std::function<void(double seconds)> then);
    // The answer for the user when no update is offered: headline and fine print.
    std::pair<std::string, std::string> noUpdateMessage(CheckResult result) const;
    void scheduleNext(double checkSeconds);
    QueueRef checkRail();

    const Context context_;
    const std::string device_;
    std::string folder_;
    StingerFacts facts_;

    mutable std::mutex mutex_;
    std::string manifest_;
    std::weak_ptr<StingerDelegate> delegate_;
    std::shared_ptr<const UpdateEntries> updates_;
    std::string outcome_;
    CheckResult result_ = CheckResult::none;
    std::atomic<int> checks_{0};
    std::string installBundle_;
    std::atomic<bool> updateAvailable_{false};
};

}  // namespace harbrix
