// One preset as the pedal stores it: at least 104 bytes, the name in bytes 0..23 and the
// parameters after it, kept twice (the working copy the editor changes and the last saved
// copy) with an undo history of the edits. Parameters are reached by key, never by offset.
//
// Keyed access: the 32 parameter keys read and write whole numbers (0 or 1 for the eight
// switches, 0..127 for the value bytes) through value()/setValue(); the name is text, read
// with name() and written with setName() (no undo) or editName() (one undo step, as the
// editor's writes are). Each undoable write is one step named "Edit Setting".
//
// A preset is edited on one thread at a time. Its saved bytes never change once it is made,
// so other threads may compare them (isEqualToCleanPreset) while it is being edited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devices/UndoHistory.h"
#include "platform/Bytes.h"

namespace harbrix {

class QORUARTDevice;

class Preset {
  public:
    static constexpr std::size_t kSize = 104;
    static constexpr std::size_t kNameLength = 24;
    static constexpr const char* kEditActionName = "Edit Setting";

    // An unoccupied slot's preset: 104 zero bytes, a blank name and byte 27 set to 1.
    // None without a device.
    static std::shared_ptr<Preset> emptyPresetForDevice(const QORUARTDevice* device);
    // The bytes as they come from the pedal (at least 104), or with `prefixed` as a preset file
    // holds them, refused unless the prefix names the device's model. None without a device.
    static std::shared_ptr<Preset> presetWithSerialized(const Bytes& bytes,
                                                        const QORUARTDevice* device,
                                                        bool prefixed = false);
    // A preset of these bytes (at least 104), for callers that checked their origin.
    static std::shared_ptr<Preset> presetWithSerialized(const Bytes& bytes);
    // The 32 parameter keys.
    static const std::vector<std::string>& mapKeys();

    Preset(const Preset&) = delete;
    Preset& operator=(const Preset&) = delete;

    // The working copy: what a save writes to the pedal.
    const Bytes& serialized() const { return core_; }
    // The last saved bytes.
    const Bytes& clean() const { return clean_; }
    // The saved bytes behind the device model's file prefix; none without a model or bytes.
    std::optional<Bytes> serializedForImportFromDevice(const QORUARTDevice* device) const;

    // None for a key outside the map.
    std::optional<int> value(std::string_view key) const;
    // Records the inverse step, then stores the value: a switch is set for any non-zero
    // value; a value byte takes the low seven bits of `value`, shifted left by one. False,
    // with nothing recorded, for a key outside the map.
    bool setValue(std::string_view key, int value);

    // The name field as ASCII text without surrounding white space; "" when it is not ASCII.
    std::string name() const;
    // The name as shown and used in file names: every "~" as U+F888.
    std::string displayName() const;
    // U+F888 becomes "~"; the text is padded with spaces or cut to 24 characters and stored
    // only when it is all ASCII. Records no undo step.
    void setName(const std::string& text);
    // setName as one undoable step.
    void editName(const std::string& text);
    // Whether setName stores the text: ASCII, "~" also as U+F888.
    static bool storableName(const std::string& text);

    bool empty() const { return empty_; }
    bool dirty() const { return core_ != clean_; }
    // Drops unsaved edits and the undo history.
    void revert();
    bool canUndo() const { return undo_.canUndo(); }
    bool canRedo() const { return undo_.canRedo(); }
    void undo() { undo_.undo(); }
    void redo() { undo_.redo(); }
    const UndoHistory& undoHistory() const { return undo_; }

    // A saved preset holding this one's working bytes: not dirty, not empty, no history.
    std::shared_ptr<Preset> copy() const;
    // The same of this one's saved bytes: what the pedal holds, whatever is being edited.
    std::shared_ptr<Preset> savedCopy() const;
    // This preset with, in its working copy, the bytes of `edited` that differ from `since`
    // (edits made since then), wherever this one has no edit of its own. Starts a new history.
    std::shared_ptr<Preset> keepingEdits(const Bytes& edited, const Bytes& since) const;

    std::size_t hash() const;
    // Same working bytes.
    bool operator==(const Preset& other) const { return core_ == other.core_; }
    // Same saved bytes; false for none.
    bool isEqualToCleanPreset(const Preset* other) const;

  private:
    explicit Preset(Bytes bytes, bool empty = false);
    // Records the step that puts bytes offset.. back as they are now, then writes `bytes`
    // there. Undo works on bytes, not values, so that undoing every edit leaves the preset
    // exactly as saved even where the pedal's data has bits no value reads.
    void changeBytes(std::size_t offset, const Bytes& bytes);

    Bytes core_;
    const Bytes clean_;
    UndoHistory undo_;
    const bool empty_;
};

// The name with every "~" shown as U+F888.
std::string displayedPresetName(const std::string& name);

}  // namespace harbrix
