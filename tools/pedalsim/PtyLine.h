// The pedal's end of the serial line: a pty whose slave is linked into a folder under
// the name a USB-serial driver would give the pedal.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "HostPresence.h"
#include "platform/Bytes.h"

namespace harbrix::pedalsim {

class PtyLine {
  public:
    // Opens the pty and puts the link at linkPath, replacing a stale link (but never a
    // file that is not a link). Empty with error set on failure.
    static std::unique_ptr<PtyLine> open(const std::string& linkPath, std::string& error);
    // Removes the link if it is still ours.
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    int fd() const { return master_; }
    // -1 when host opens and closes cannot be watched.
    int presenceFd() const { return presence_ ? presence_->fd() : -1; }
    const std::string& linkPath() const { return linkPath_; }

    std::uint32_t hostSpeed() const;
    // Whether bytes at this speed survive the trip: UARTs tolerate a few percent.
    bool hostAt(std::uint32_t speed) const;

    // What the host has written so far; empty when nothing is waiting.
    Bytes read();
    // Sends the bytes. With a pace speed other than 0, the bytes go out no faster than a
    // UART at that speed would send them (10 bit times a byte). Bytes sent while no host
    // has the port open are lost, as on a real line. False on a write error or a stop
    // request.
    bool write(const Bytes& bytes, std::uint32_t paceSpeed);
    // The node goes (the cable is pulled) and comes back on the same terminal.
    void unlink();
    bool relink(std::string& error);
    bool linked() const { return linked_; }

    // Call when presenceFd() is readable: at a session boundary drops what the host
    // left unread, and once the last host is gone its exclusive claim, as closing a
    // real port does.
    void checkHost();

  private:
    PtyLine() = default;

    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees the line hang up
    std::string slavePath_;
    std::string linkPath_;
    bool linked_ = false;
    std::unique_ptr<HostPresence> presence_;
};

}  // namespace harbrix::pedalsim
