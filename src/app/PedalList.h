// The connected pedals and which of them is current, with what each one has selected on its
// own panel and whether it is restarting. The current pedal is also asked for from the
// update checkers' threads; everything else runs on the main thread.
#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "link/DeviceDelegate.h"

namespace harbrix {

class PedalList : public QObject {
    Q_OBJECT
  public:
    // Called when the current pedal's editor is to follow the slot selected on the pedal.
    using Follow = std::function<void(std::size_t slot, bool loaded)>;

    explicit PedalList(Follow follow);

    const std::vector<DeviceRef>& connected() const { return connected_; }
    bool isConnected(const DeviceRef& device) const;
    // Any thread.
    DeviceRef current() const;
    void setCurrent(const DeviceRef& device);
    // Where the current pedal stands in the list; the list's size without one.
    std::size_t currentIndex() const;
    // The connected pedal with that serial number, if any.
    DeviceRef find(const QString& serial) const;

    // Adds a pedal; true when it is the only one.
    bool add(const DeviceRef& device);
    // Forgets a pedal and what it had selected.
    void remove(const DeviceRef& device);

    // For each new editor of a pedal, ahead of the slot reads when it is a new connection:
    // which slot the pedal has selected and whether it is loaded. The editor follows it
    // once that slot has been read.
    void askSelection(const DeviceRef& device);
    // A slot of the pedal has been read.
    void presetRead(const DeviceRef& device, std::size_t index);
    // Whether the current pedal's editor has followed the pedal's own selection.
    bool initialized() const;
    // Whether the pedal has answered which slot it has selected.
    bool knowsSelection(const DeviceRef& device) const {
        return selections_.count(device.get()) != 0;
    }

    // A connected pedal that is restarting; restarted() says whether it was.
    bool isRestarting(const DeviceRef& device) const;
    void setRestarting(const DeviceRef& device) { restarting_.insert(device.get()); }
    bool restarted(const DeviceRef& device) { return restarting_.erase(device.get()) != 0; }

    // Reads every slot again behind what waits on the pedal's queue; its screens hold back
    // the slot changes meanwhile.
    static void refreshPresets(const DeviceRef& device);

  private:
    void selectionRead(const DeviceRef& device, std::size_t slot, bool loaded);

    struct Selection {
        std::size_t slot = 0;
        bool loaded = false;
        // The pedal's editor has followed it.
        bool followed = false;
    };

    Follow follow_;
    std::vector<DeviceRef> connected_;
    mutable std::mutex currentMutex_;
    DeviceRef current_;
    // By connected pedal.
    std::map<const QORUARTDevice*, Selection> selections_;
    std::set<const QORUARTDevice*> restarting_;
};

}  // namespace harbrix
