#include "devices/Meta.h"

#include "link/NumberText.h"

namespace harbrix {

std::optional<Meta> Meta::metaWithName(const std::string& name, std::uint16_t vendor,
                                       std::uint16_t product, const std::string& serial,
                                       const std::string& path) {
    if (name.empty() || serial.empty() || path.empty() || vendor == 0 || product == 0)
        return std::nullopt;
    Meta meta;
    meta.name_ = name;
    meta.vendor_ = vendor;
    meta.product_ = product;
    meta.serial_ = serial;
    meta.path_ = path;
    return meta;
}

std::string Meta::filename() const {
    const auto slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

std::string Meta::folder() const {
    const auto slash = path_.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path_.substr(0, slash);
}

std::string Meta::description() const {
    return "name    = " + name_ + "\nvendor  = " + uppercaseHexStringValue(vendor_, 4) +
           "\nproduct = " + uppercaseHexStringValue(product_, 4) + "\nserial  = " + serial_ +
           "\npath    = " + path_;
}

}  // namespace harbrix
