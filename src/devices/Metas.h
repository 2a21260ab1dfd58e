// The pedals connected now, keyed by USB serial number: the device nodes under the device
// root joined with the USB inventory's records whose manufacturer is "QOR".
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "devices/Meta.h"

namespace harbrix {

class Metas {
  public:
    // Serial number -> node path.
    using Paths = std::map<std::string, std::string>;
    // Serial number -> the inventory's record of that device.
    using Records = std::map<std::string, nlohmann::json>;
    using Core = std::map<std::string, Meta>;

    // Every node in `root` named like a pedal's ("cu.usbserial-SERIAL", "cu.qorMODEL-SERIAL");
    // a later node with the same serial replaces an earlier one. None when the folder cannot
    // be listed; an empty folder holds no pedal.
    static std::optional<Paths> paths(const std::string& root);
    // The "QOR" records of the inventory: the value of "SPUSBDataType", walked down through
    // arrays and dictionaries. A record's own children are not walked. None when there is no
    // text, it is not JSON, or "SPUSBDataType" is missing or empty.
    static std::optional<Records> unfiltered(const std::optional<std::string>& inventory);
    // One step of that walk: adds what `node` holds to `accumulator`; none for a node that is
    // neither an array nor a dictionary.
    static std::optional<Records> unfiltered(const nlohmann::json& node, Records accumulator);
    // Records joined with paths. A record without a node (the node is made a moment after the
    // USB record appears), or one that cannot make a Meta (name missing, vendor or product id
    // missing or zero) is left out, and only that pedal with it. None when either side could
    // not be read: nothing can be said of any pedal then.
    static std::optional<Metas> join(const std::optional<Paths>& paths,
                                     const std::optional<Records>& records);
    // The join of the device root's nodes and the USB inventory, as one discovery pass sees it;
    // none when either could not be read.
    static std::optional<Metas> metas();

    // The Meta of that serial; none for an empty or unknown serial.
    const Meta* operator[](const std::string& serial) const;
    const Core& core() const { return core_; }
    std::size_t size() const { return core_.size(); }

    // Enumerates the Meta values in serial order.
    class const_iterator {
      public:
        explicit const_iterator(Core::const_iterator it) : it_(it) {}
        const Meta& operator*() const { return it_->second; }
        const Meta* operator->() const { return &it_->second; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator==(const const_iterator&) const = default;

      private:
        Core::const_iterator it_;
    };
    const_iterator begin() const { return const_iterator(core_.begin()); }
    const_iterator end() const { return const_iterator(core_.end()); }

    // Each Meta's description followed by a line break.
    std::string description() const;

  private:
    Core core_;
};

}  // namespace harbrix
