// A pedal's small persistent cache: a key/value map kept on disk as an XML property list
// named after the pedal's USB serial number. Keys we do not know are kept as they were.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace harbrix {

class DeviceCache {
  public:
    DeviceCache();
    ~DeviceCache();
    DeviceCache(const DeviceCache& other);
    DeviceCache& operator=(const DeviceCache& other);

    // The cache file's content, or nullopt when it is missing or not a property-list dictionary.
    static std::optional<DeviceCache> load(const std::string& path);
    // Writes the map atomically; false when it could not be written.
    bool save(const std::string& path) const;

    std::optional<std::uint64_t> unsignedValue(const std::string& key) const;
    void setUnsignedValue(const std::string& key, std::uint64_t value);

    // "%@/%@.plist" in the device cache folder.
    static std::string pathForSerial(const std::string& serial);

  private:
    void* dictionary_;  // plist_t
};

}  // namespace harbrix
