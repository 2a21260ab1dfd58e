// The identity of a pedal model and its firmware, parsed from the "WHO_RU" reply, and the
// process-wide registry of the models seen so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "link/Version.h"

namespace harbrix {

// The pedal maker's USB vendor identifier, shared by every model.
inline constexpr std::uint16_t kPedalVendorId = 0x3A4D;

// A model's firmware update checker; the update subsystem provides the real one.
class FirmwareChecker {
  public:
    virtual ~FirmwareChecker() = default;
};

class Model {
  public:
    using CheckerFactory =
        std::function<std::shared_ptr<FirmwareChecker>(const std::string& modelName)>;

    // "vendor,,name,,version[,,build date]"; none when any part is missing or unreadable.
    // A parsed model is registered under its name, replacing any earlier one.
    static std::shared_ptr<Model> modelFromSerializedRepresentation(std::string_view text);
    // The registered model of that name; none for an empty or unknown name.
    static std::shared_ptr<Model> get(const std::string& name);
    // How parsed models get their firmware checker; without a factory they get none.
    static void setCheckerFactory(CheckerFactory factory);

    const std::string& name() const { return name_; }
    const Version& version() const { return version_; }
    // Firmware build time, seconds since 1970 (UTC).
    std::optional<std::int64_t> date() const { return date_; }

    std::shared_ptr<FirmwareChecker> stinger() const;
    void setStinger(std::shared_ptr<FirmwareChecker> checker);

    std::uint32_t vendor() const { return kPedalVendorId; }
    // USB product identifier: NAX3 0x0600, MIV3 0x0601, 0 for other names.
    std::uint32_t product() const { return productOf(name_); }
    static std::uint32_t productOf(const std::string& name);

    // "MIV3 version 1.2 by Brellwick (Mar 4 2021)", "---" in place of a missing date.
    std::string description() const;

    // Name, version and date; the checker does not take part.
    bool operator==(const Model& other) const;
    std::size_t hash() const;

  private:
    Model() = default;

    std::string name_;
    Version version_;
    std::optional<std::int64_t> date_;
    mutable std::mutex stingerMutex_;
    std::shared_ptr<FirmwareChecker> stinger_;
};

}  // namespace harbrix
