// One USB serial device that may be a pedal: what the USB inventory says of it, joined with
// the device node that carries its serial number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace harbrix {

class Meta {
  public:
    // None unless name, serial and path are non-empty and vendor and product are non-zero.
    static std::optional<Meta> metaWithName(const std::string& name, std::uint16_t vendor,
                                            std::uint16_t product, const std::string& serial,
                                            const std::string& path);

    // USB product name: the model name for a pedal.
    const std::string& name() const { return name_; }
    std::uint16_t vendor() const { return vendor_; }
    std::uint16_t product() const { return product_; }
    const std::string& serial() const { return serial_; }
    // Full path of the device node.
    const std::string& path() const { return path_; }
    // The node's file name, the key of the device registry.
    std::string filename() const;
    // The folder the node is in.
    std::string folder() const;

    // "name    = ...\nvendor  = 3A4D\n..." with vendor and product as four hex digits.
    std::string description() const;

    bool operator==(const Meta&) const = default;

  private:
    Meta() = default;

    std::string name_;
    std::uint16_t vendor_ = 0;
    std::uint16_t product_ = 0;
    std::string serial_;
    std::string path_;
};

}  // namespace harbrix
