// Notices when the host opens and closes the device node. The simulator keeps the pty's
// slave open itself (so the master never reads EIO), which would otherwise keep two
// things alive that a real port drops when its last user closes it: the host's
// exclusive-access claim and reply bytes nobody read.
#pragma once

#include <memory>
#include <string>

namespace harbrix::pedalsim {

class HostPresence {
  public:
    // Watches the slave node; empty when the system cannot watch it.
    static std::unique_ptr<HostPresence> watch(const std::string& slavePath);
    ~HostPresence();
    HostPresence(const HostPresence&) = delete;
    HostPresence& operator=(const HostPresence&) = delete;

    int fd() const { return fd_; }
    // Reads the queued open/close events; true when a host session ended or began since
    // the last call. Call it before every write, so that a session's own replies always
    // come after the boundary that starts it.
    bool update();
    // As of the last events read.
    bool hostPresent() const { return opens_ > 0; }

  private:
    explicit HostPresence(int fd) : fd_(fd) {}

    int fd_;
    int opens_ = 0;
};

}  // namespace harbrix::pedalsim
