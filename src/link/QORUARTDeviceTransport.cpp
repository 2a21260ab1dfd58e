// Opening and configuring the line, writing requests, collecting replies, and the one
// transaction path every command takes.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "link/ByteText.h"
#include "link/Commands.h"
#include "link/DeviceDelegate.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

constexpr std::uint32_t kStartSpeed = QORUARTDevice::kBootSpeed;
constexpr std::size_t kReadChunk = 1024;
constexpr std::size_t kReadCapacity = 10240;
// No pedal reply comes near this; a line that keeps talking past it is not a pedal's.
constexpr std::size_t kLongestReply = 1024 * 1024;

std::atomic<DeviceDelegate*> gDelegate{nullptr};

}  // namespace

QORUARTDevice::QORUARTDevice(std::string filename, std::string name, std::string serial,
                             std::shared_ptr<SerialLine> line)
    : filename_(std::move(filename)),
      name_(std::move(name)),
      serial_(std::move(serial)),
      deviceRoot_(deviceRootDirectory()),
      line_(line ? std::move(line) : SerialLine::system()),
      framing_(framingFromEnvironment()) {}

QORUARTDevice::~QORUARTDevice() {
    if (queue_) railsFlush(queue_);
    logLine("DEALLOC/CLOSE");
    if (file_ >= 0) line_->close(file_);
    file_ = -1;
}

std::uint32_t QORUARTDevice::speedForModel(const std::string& name) {
    static const std::map<std::string, std::uint32_t, std::less<>> speeds = {
        {"MIV3", 2000000},
        {"NAX3", 115200},
    };
    const auto it = speeds.find(name);
    return it == speeds.end() ? 0 : it->second;
}

DeviceDelegate* QORUARTDevice::delegate() {
    return gDelegate.load();
}

void QORUARTDevice::setDelegate(DeviceDelegate* delegate) {
    gDelegate.store(delegate);
}

std::recursive_mutex& QORUARTDevice::ioLock() {
    static std::recursive_mutex lock;
    return lock;
}

std::string QORUARTDevice::cachePath() const {
    return DeviceCache::pathForSerial(serial_);
}

void QORUARTDevice::setFilenumber(std::uint64_t filenumber) {
    filenumber_ = filenumber;
    cache_.setUnsignedValue("filenumber", filenumber);
    flushCache();
}

void QORUARTDevice::flushCache() {
    if (serial_.empty()) return;
    // The write works from a copy, so later changes to the cache do not race with it.
    const DeviceCache copy = cache_;
    const std::string path = cachePath();
    rail(Rails::disk(), [copy, path] { copy.save(path); });
}

bool QORUARTDevice::open() {
    if (filename_.empty()) return false;
    const std::string path = deviceRoot_ + "/" + filename_;
    const std::uint64_t current = line_->fileNumber(path);
    if (current == 0) {
        fail("cannot open " + path + ": no such device node", "its device node is missing");
        return false;
    }
    const int fd = line_->open(path);
    if (fd < 0) {
        fail("cannot open " + path + ": " + std::strerror(-fd), std::strerror(-fd));
        return false;
    }
    file_ = fd;
    if (!line_->claimExclusive(fd)) {
        fail("cannot open " + path + ": it is in use by another program",
             "it is in use by another program");
        return false;
    }
    if (!line_->clearStatusFlags(fd) || !line_->configureRaw(fd)) {
        fail("cannot configure " + path + " as a serial line", "its port cannot be set up");
        return false;
    }

    const std::uint32_t speed = speedForModel(name_);
    nodeFilenumber_ = current;
    speedSwitchSkipped_ = true;
    if (filenumber_ != current) {
        const std::uint64_t cached = cache_.unsignedValue("filenumber").value_or(0);
        if (filenumber_ != cached) setFilenumber(cached);
        if (cached != current) {
            // A node we have not seen: the pedal was just attached and still runs at 115200.
            // The number is remembered once the pedal has answered at its new speed.
            logFormat("FILE NUMBERS DIFFER (%llu:%llu)", static_cast<unsigned long long>(cached),
                      static_cast<unsigned long long>(current));
            logLine("GO TURBO (device)");
            // A pedal that kept its power while its USB side came and went still runs at its
            // fast speed and hears nothing at 115200: the handshake at that speed decides, and
            // one more switch is tried when it does not answer there either.
            speedSwitchSkipped_ = !setDeviceSpeed(speed);
            if (speedSwitchSkipped_) logLine("no answer to SET_BAUD: trying the pedal's speed");
        }
    }
    logLine("GO TURBO (system)");
    if (!line_->setSpeed(fd, speed != 0 ? speed : kStartSpeed)) {
        fail("cannot set the line speed of " + path, "its port cannot be set to the pedal's speed");
        return false;
    }
    return true;
}

bool QORUARTDevice::write(const Bytes& bytes) {
    if (file_ < 0) return false;
    std::lock_guard io(ioLock());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = line_->write(file_, bytes.data() + written, bytes.size() - written);
        if (n == -EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<Bytes> QORUARTDevice::readAll(std::optional<std::size_t> expected) {
    if (file_ < 0) return std::nullopt;
    std::lock_guard io(ioLock());
    Bytes reply;
    reply.reserve(kReadCapacity);
    std::uint8_t chunk[kReadChunk];
    for (;;) {
        const ssize_t n = line_->read(file_, chunk, sizeof chunk);
        if (n == -EINTR) continue;
        if (n < 0) {
            logFormat("read error :: %d", static_cast<int>(-n));
            return std::nullopt;
        }
        if (n == 0) break;
        reply.insert(reply.end(), chunk, chunk + n);
        if (reply.size() > kLongestReply) {
            logFormat("reply too long :: more than %zu bytes", kLongestReply);
            return std::nullopt;
        }
        // An error reply may be shorter than the request implies: wait for silence then.
        if (expected && reply[0] != 0) expected.reset();
        if (expected && reply.size() >= *expected) break;
    }
    if (log_) logFormat("READ: %s", prettyDescription(reply).c_str());
    return reply;
}

std::optional<UARTResponse> QORUARTDevice::execute(std::uint8_t command, const Bytes& request,
                                                   double wait) {
    if (resetting_ || request.empty()) return std::nullopt;
    if (command == Command::POKEC && memory_) {
        const auto factoryReset = (*memory_)["factory-reset"];
        if (factoryReset && requestArgument(request) == *factoryReset) resetting_ = true;
    }
    if (file_ < 0) return std::nullopt;
    if (log_) logFormat("WRITE: %s", prettyDescription(request).c_str());

    std::lock_guard io(ioLock());
    std::optional<std::size_t> expected;
    if (framing_ == Framing::fast) {
        expected = expectedReplyLength(request);
        line_->discardInput(file_);
    }
    if (!write(request)) {
        // A line that takes nothing (its node went away under it) is as good as silent:
        // discovery asks the pedal again, and lets it go when it does not answer.
        silent_ = true;
        return std::nullopt;
    }
    if (wait > 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
    auto reply = readAll(expected);
    if (reply && reply->size() >= 2) {
        if (command == Command::WHO_RU && (*reply)[0] == 13 && (*reply)[1] == 10) {
            (*reply)[0] = 0;
            (*reply)[1] = 0;
        }
        auto response = UARTResponse::response(*reply, command);
        // Junk is what a pedal that restarted at its boot speed sends back to a faster line.
        silent_ = !response;
        if (response) record(command, request, *reply, *response);
        return response;
    }
    if (command == Command::REBOOTC) return UARTResponse::response();
    silent_ = true;
    return std::nullopt;
}

bool QORUARTDevice::setHostSpeed(std::uint32_t speed) {
    if (file_ < 0) return false;
    std::lock_guard io(ioLock());
    if (!line_->setSpeed(file_, speed)) return false;
    line_->discardInput(file_);
    return true;
}

void QORUARTDevice::record(std::uint8_t command, const Bytes& request, const Bytes& reply,
                           const UARTResponse& response) {
    std::lock_guard lock(historyMutex_);
    if (!history_) return;
    HistoryEntry entry;
    entry.request = request;
    entry.response = reply;
    entry.command = std::string(commandName(command).value_or(""));
    entry.index = recorded_++;
    entry.skippable = command == Command::READ_PRESET && response.error == 6;
    history_->push_back(std::move(entry));
    if (history_->size() > kHistoryLength) history_->pop_front();
}

void QORUARTDevice::enableHistory() {
    std::lock_guard lock(historyMutex_);
    if (!history_) history_.emplace();
}

void QORUARTDevice::dropHistory() {
    std::lock_guard lock(historyMutex_);
    if (history_) history_->clear();
    history_.reset();
    recorded_ = 0;
}

bool QORUARTDevice::recordsHistory() const {
    std::lock_guard lock(historyMutex_);
    return history_.has_value();
}

std::vector<HistoryEntry> QORUARTDevice::historyEntries() const {
    std::lock_guard lock(historyMutex_);
    if (!history_) return {};
    return {history_->begin(), history_->end()};
}

void QORUARTDevice::fail(std::string reason, std::string cause) {
    logLine(reason);
    std::lock_guard lock(stateMutex_);
    failure_ = std::move(reason);
    failureCause_ = std::move(cause);
}

std::string QORUARTDevice::failureReason() const {
    std::lock_guard lock(stateMutex_);
    return failure_;
}

std::string QORUARTDevice::failureCause() const {
    std::lock_guard lock(stateMutex_);
    return failureCause_.empty() ? failure_ : failureCause_;
}

LCXreply QORUARTDevice::lcxreply() const {
    std::lock_guard lock(stateMutex_);
    return lcxreply_;
}

void QORUARTDevice::setLcxreply(const LCXreply& reply) {
    std::lock_guard lock(stateMutex_);
    lcxreply_ = reply;
}

SettingsBlock QORUARTDevice::settings() const {
    std::lock_guard lock(stateMutex_);
    return settings_;
}

void QORUARTDevice::setSettings(const SettingsBlock& settings) {
    std::lock_guard lock(stateMutex_);
    settings_ = settings;
}

}  // namespace harbrix
