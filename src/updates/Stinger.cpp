// Construction, the periodic check and its pacing, versions and the show operations.
#include "updates/Stinger.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "updates/ApplicationInfo.h"
#include "updates/Download.h"
#include "updates/Torque.h"
#include "updates/UpdateLocations.h"

namespace harbrix {
namespace {

constexpr double kCheckPeriod = 300;
constexpr double kMinimumPause = 240;

#ifdef __APPLE__
constexpr const char* kUpgradeSystemFirst = "Upgrade macOS first. Then upgrade Harbrix.";
#else
constexpr const char* kUpgradeSystemFirst = "Upgrade Linux first. Then upgrade Harbrix.";
#endif
constexpr const char* kUpgradeApplicationFirst =
    "Upgrade Harbrix first. Then upgrade the firmware on the device.";

std::mutex presenterMutex;
std::shared_ptr<StingerPresenter>& presenterSlot() {
    static std::shared_ptr<StingerPresenter> presenter;
    return presenter;
}

std::shared_ptr<StingerPresenter> presenter() {
    std::lock_guard lock(presenterMutex);
    return presenterSlot();
}

// The firmware running on the pedal of that model: the current pedal when it is one,
// else the newest registered model record of that name.
std::optional<Version> firmwareVersionOf(const std::string& modelName) {
    if (DeviceDelegate* delegate = QORUARTDevice::delegate()) {
        if (const DeviceRef device = delegate->currentDevice();
            device && device->model() && device->model()->name() == modelName)
            return device->model()->version();
    }
    if (const auto model = Model::get(modelName)) return model->version();
    return std::nullopt;
}

}  // namespace

Stinger::Stinger(Context context, std::string device, std::weak_ptr<StingerDelegate> delegate,
                 StingerFacts facts)
    : context_(context),
      device_(std::move(device)),
      facts_(std::move(facts)),
      delegate_(std::move(delegate)) {
    if (!facts_.folder.empty())
        folder_ = facts_.folder;
    else
        folder_ = isSoftwareStinger() ? UpdateLocations::softwareFolder()
                                      : UpdateLocations::firmwareFolder(device_);
    if (!facts_.applicationVersion) facts_.applicationVersion = ApplicationInfo::version;
    if (!facts_.systemVersion) facts_.systemVersion = ApplicationInfo::systemVersion;
    if (!facts_.currentVersion) {
        if (isSoftwareStinger())
            facts_.currentVersion = ApplicationInfo::version;
        else
            facts_.currentVersion = [name = device_] { return firmwareVersionOf(name); };
    }
}

std::shared_ptr<Stinger> Stinger::softwareStinger(const std::string& manifest,
                                                  std::weak_ptr<StingerDelegate> delegate,
                                                  StingerFacts facts) {
    if (manifest.empty()) return nullptr;
    std::shared_ptr<Stinger> stinger(
        new Stinger(Context::software, "", std::move(delegate), std::move(facts)));
    createDirectories(stinger->folder_);
    stinger->setManifest(manifest);
    return stinger;
}

std::shared_ptr<Stinger> Stinger::firmwareStinger(const std::string& manifest,
                                                  const std::string& device,
                                                  std::weak_ptr<StingerDelegate> delegate,
                                                  StingerFacts facts) {
    if (manifest.empty() || device.empty()) return nullptr;
    std::shared_ptr<Stinger> stinger(
        new Stinger(Context::firmware, device, std::move(delegate), std::move(facts)));
    createDirectories(stinger->folder_);
    stinger->setManifest(manifest);
    return stinger;
}

void Stinger::setPresenter(std::shared_ptr<StingerPresenter> presenter) {
    std::lock_guard lock(presenterMutex);
    presenterSlot() = std::move(presenter);
}

double Stinger::nextCheckDelay(double checkSeconds) {
    return std::max(kMinimumPause, kCheckPeriod - checkSeconds);
}

std::string Stinger::manifest() const {
    std::lock_guard lock(mutex_);
    return manifest_;
}

void Stinger::setManifest(const std::string& manifest) {
    {
        std::lock_guard lock(mutex_);
        if (manifest.empty() || !manifest_.empty()) return;
        manifest_ = manifest;
    }
    if (facts_.periodic) check();
}

std::shared_ptr<StingerDelegate> Stinger::delegate() const {
    std::lock_guard lock(mutex_);
    return delegate_.lock();
}

void Stinger::setDelegate(std::weak_ptr<StingerDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

UpdateEntries Stinger::updates() const {
    std::lock_guard lock(mutex_);
    return updates_ ? *updates_ : UpdateEntries{};
}

std::string Stinger::lastOutcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
}

void Stinger::setOutcome(std::string outcome) {
    std::lock_guard lock(mutex_);
    outcome_ = std::move(outcome);
}

QueueRef Stinger::checkRail() {
    // The rails are process-wide, one per kind and model name, and never owned by a checker:
    // a checker may be released by the last block of its own rail, and a queue must not be
    // destroyed from its own thread.
    static std::mutex railsMutex;
    static std::map<std::string, QueueRef> rails;
    const std::string label = isSoftwareStinger() ? "com.qor.wharvel.stinger.software"
                                                  : "com.qor.wharvel.stinger.firmware." + device_;
    std::lock_guard lock(railsMutex);
    QueueRef& queue = rails[label];
    if (!queue) queue = railsQueue(label);
    return queue;
}

void Stinger::check() {
    std::weak_ptr<Stinger> weak = weak_from_this();
    checkRail()->async([weak] {
        const auto self = weak.lock();
        if (!self) return;
        const auto start = std::chrono::steady_clock::now();
        self->updateAvailable_ = self->coreCheck();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        self->scheduleNext(took.count());
    });
}

void Stinger::scheduleNext(double checkSeconds) {
    std::weak_ptr<Stinger> weak = weak_from_this();
    const double delay = nextCheckDelay(checkSeconds);
    Rails::main()->after(delay, [weak] {
        if (const auto self = weak.lock()) self->check();
    });
}

void Stinger::refresh() {
    std::weak_ptr<Stinger> weak = weak_from_this();
    checkRail()->async([weak] {
        if (const auto self = weak.lock()) self->updateAvailable_ = self->coreCheck();
    });
}

bool Stinger::coreCheck() {
    const auto fetched = downloadURL(manifest(), kManifestLimit);
    const auto plain = fetched ? Torque::down(*fetched) : std::nullopt;
    if (!plain || plain->empty()) {
        setOutcome(fetched ? "the manifest does not decipher"
                           : "the manifest could not be fetched");
        return false;
    }
    const auto entries = Manifest::parse(
        std::string_view(reinterpret_cast<const char*>(plain->data()), plain->size()));
    if (!entries) {
        setOutcome("the manifest is not a JSON array");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        updates_ = std::make_shared<const UpdateEntries>(*entries);
    }
    if (entries->empty()) {
        setOutcome("the manifest lists no releases");
        return false;
    }
    const auto current = currentVersion();
    if (!current) {
        setOutcome("the current version is not known");
        return false;
    }
    const UpdateEntry& latest = entries->back();
    const auto version = latest.parsedVersion();
    if (latest.empty || !version) {
        setOutcome("the latest release has no readable version");
        return false;
    }
    if (current->isEqualToOrBetterThan(*version)) {
        setOutcome("up to date");
        return false;
    }
    const auto baseline = latest.parsedBaseline();
    if (!baseline) {
        setOutcome("the latest release has no readable baseline");
        return false;
    }
    if (const auto refusal = baselineRefusal(*baseline)) {
        logLine(*refusal);
        setOutcome(*refusal);
        return false;
    }
    if (cached(latest) || download(latest)) {
        setOutcome("");
        // Stored before the delegate hears of it: the screens it tells ask for it at once.
        updateAvailable_ = true;
        tellDelegate();
        return true;
    }
    setOutcome("the payload could not be fetched and verified");
    return false;
}

std::optional<std::string> Stinger::baselineRefusal(const Version& baseline) const {
    // A base version that cannot be told counts as too low: installing a release onto a
    // base it was not made for is worse than waiting.
    if (isFirmwareStinger()) {
        const auto application = facts_.applicationVersion();
        if (!application || application->isLessThan(baseline)) return kUpgradeApplicationFirst;
    } else {
        const auto system = facts_.systemVersion();
        if (!system || system->isLessThan(baseline)) return kUpgradeSystemFirst;
    }
    return std::nullopt;
}

void Stinger::tellDelegate() {
    if (const auto receiver = delegate()) receiver->stingerHasAvailableUpdate(*this);
}

std::optional<Version> Stinger::currentVersion() const {
    return facts_.currentVersion();
}

std::optional<UpdateEntry> Stinger::latestEntry() const {
    std::lock_guard lock(mutex_);
    if (!updates_ || updates_->empty()) return std::nullopt;
    return updates_->back();
}

std::optional<Version> Stinger::latestVersion() const {
    const auto latest = latestEntry();
    return latest ? latest->parsedVersion() : std::nullopt;
}

std::optional<Bytes> Stinger::updatePayload() {
    const auto latest = latestEntry();
    return latest ? cached(*latest) : std::nullopt;
}

void Stinger::showWindowIfUpdateAvailable() {
    const auto latest = latestEntry();
    if (!updateAvailable() || !latest)
        showUpToDateModal();
    else
        showWindowForUpdate(*latest);
}

void Stinger::showWindowForUpdate(const UpdateEntry& entry) {
    if (const auto shown = presenter())
        shown->showForUpdate(*this, entry);
    else
        logFormat("update available: %s", entry.version.c_str());
}

void Stinger::hideWindow() {
    if (const auto shown = presenter()) shown->hide();
}

void Stinger::showUpToDateModal() {
    std::string fineprint;
    if (isSoftwareStinger()) {
        const auto version = ApplicationInfo::version();
        fineprint = "You're running the most recent version of " +
                    ApplicationInfo::name().value_or("Harbrix") + " (" +
                    (version ? version->description() : std::string("?")) + ").";
    } else {
        DeviceDelegate* delegate = QORUARTDevice::delegate();
        const DeviceRef device = delegate ? delegate->currentDevice() : nullptr;
        if (!device || !device->model()) return;
        fineprint = "You're running the most recent " + device->model()->name() + " firmware (" +
                    device->model()->version().description() + ").";
    }
    if (const auto shown = presenter())
        shown->showUpToDate("You're up to date!", fineprint);
    else
        logLine(fineprint);
}

}  // namespace harbrix
