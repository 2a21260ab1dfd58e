// The device itself: its concerns made together, the process-wide delegate, and the cache
// file.
#include "link/QORUARTDevice.h"

#include <map>

#include "platform/Log.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

std::atomic<DeviceDelegate*> gDelegate{nullptr};

}  // namespace

QORUARTDevice::QORUARTDevice(std::string filename, std::string name, std::string serial,
                             std::shared_ptr<SerialLine> line)
    : filename_(std::move(filename)),
      name_(std::move(name)),
      serial_(std::move(serial)),
      deviceRoot_(deviceRootDirectory()),
      line_(*this, std::move(line)),
      bringUp_(*this),
      ram_(*this),
      control_(*this),
      flasher_(*this) {}

QORUARTDevice::~QORUARTDevice() {
    if (queue_) railsFlush(queue_);
    logLine("DEALLOC/CLOSE");
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

bool QORUARTDevice::loadCache() {
    if (!createDirectories(deviceCacheDirectory())) return false;
    if (auto cache = DeviceCache::load(cachePath())) {
        setCache(std::move(*cache));
    } else {
        setCache(DeviceCache());
        flushCache();
    }
    return true;
}

std::size_t QORUARTDevice::hash() const {
    return std::hash<std::string>{}("QORUARTDevice|" + filename_ + "|" +
                                    std::to_string(line_.file()));
}

bool QORUARTDevice::isEqual(const QORUARTDevice& other) const {
    return line_.file() == other.line_.file() && filename_ == other.filename_;
}

}  // namespace harbrix
