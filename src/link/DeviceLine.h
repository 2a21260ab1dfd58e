// A pedal's serial line and the one transaction path every command takes: writing a request,
// collecting its reply in the line's framing, and recording the exchange in debug mode. Every
// transaction of every pedal is serialised by one process-wide recursive "io" lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "link/ReplyFraming.h"
#include "link/TransactionHistory.h"
#include "link/UARTResponse.h"
#include "platform/Bytes.h"
#include "platform/SerialLine.h"

namespace harbrix {

class QORUARTDevice;

class DeviceLine {
  public:
    DeviceLine(QORUARTDevice& device, std::shared_ptr<SerialLine> line);
    ~DeviceLine();
    DeviceLine(const DeviceLine&) = delete;
    DeviceLine& operator=(const DeviceLine&) = delete;

    // The process-wide lock every transaction holds.
    static std::recursive_mutex& ioLock();

    // The system side of the line, and the descriptor of the open node (-1 before).
    SerialLine& serialLine() { return *line_; }
    int file() const { return file_; }
    // A newly opened line is read in its chosen framing again.
    void setFile(int file) {
        file_ = file;
        fellBack_ = false;
    }

    bool log() const { return log_; }
    void setLog(bool log) { log_ = log; }
    bool resetting() const { return resetting_; }
    void setResetting(bool resetting) { resetting_ = resetting; }
    // The flag itself, for the factory reset that ends the refusal on every way out.
    std::atomic<bool>& resettingFlag() { return resetting_; }
    // The framing chosen for this line, and the one it reads in now: the silence rule once
    // guarded framing has met a reply it could not trust.
    Framing framing() const { return framing_; }
    Framing framingNow() const { return fellBack_ ? Framing::silence : framing_.load(); }
    void setFraming(Framing framing) {
        framing_ = framing;
        fellBack_ = false;
    }
    // Whether the last exchange went unanswered (no reply the engine could read).
    bool silent() const { return silent_; }

    // Present in debug mode only.
    TransactionHistory& history() { return history_; }
    const TransactionHistory& history() const { return history_; }

    bool write(const Bytes& bytes);
    // One reply: under the silence rule without `expected`, else ended by its length.
    std::optional<Bytes> readAll(std::optional<std::size_t> expected = std::nullopt);
    std::optional<UARTResponse> execute(std::uint8_t command, const Bytes& request,
                                        double wait = 0);
    // Sets the host side of the open line to `speed` and drops what waits to be read.
    bool setHostSpeed(std::uint32_t speed);

  private:
    // One reply in guarded framing; `anomaly` names what made it untrustworthy, if anything.
    std::optional<Bytes> readGuarded(std::size_t expected, const char*& anomaly);
    // Reads into `reply` until silence or, while the reply looks like a success, until
    // `expected` bytes are there; false on a read error.
    bool readUntil(Bytes& reply, std::optional<std::size_t> expected);
    bool append(Bytes& reply, const std::uint8_t* bytes, ssize_t n);
    // From now until the line is opened again, replies end with silence; logged once.
    void fallBack(std::uint8_t command, const char* reason);

    QORUARTDevice& device_;
    const std::shared_ptr<SerialLine> line_;
    int file_ = -1;
    std::atomic<bool> log_ = false;
    std::atomic<bool> resetting_ = false;
    std::atomic<bool> silent_ = false;
    std::atomic<Framing> framing_;
    std::atomic<bool> fellBack_ = false;
    TransactionHistory history_;
};

}  // namespace harbrix
