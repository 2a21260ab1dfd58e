// A serial line for tests: it records what the host writes and answers each request from a
// script, the way a pedal would, without any timing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bytes.h"
#include "platform/SerialLine.h"

namespace harbrix::test {

class ScriptedLine : public SerialLine {
  public:
    // Answers one request; nullopt means silence.
    using Responder = std::function<std::optional<Bytes>(const Bytes& request)>;

    void setResponder(Responder responder) { responder_ = std::move(responder); }
    // Bytes waiting on the line before the next request (stray input).
    void injectInput(const Bytes& bytes);
    // Bytes that come `afterMs` milliseconds after everything now waiting: a read that waits
    // longer than that for input gets them.
    void injectLater(const Bytes& bytes, int afterMs);

    std::uint64_t nodeFileNumber = 4242;
    int openResult = 7;
    bool exclusiveWorks = true;
    bool rawWorks = true;
    bool speedWorks = true;
    // Replies are handed out this many bytes per read, as a slow line would.
    std::size_t readChunk = 1024;
    // Each write takes at most this many bytes (a partial write); a request is complete
    // with the write call that takes the last bytes the host handed over.
    std::size_t writeChunk = SIZE_MAX;
    // The next this many reads, or writes, are interrupted by a signal (-EINTR).
    int interruptedReads = 0;
    int interruptedWrites = 0;
    // Every read hands out this byte, without end (a line that never falls silent).
    std::optional<std::uint8_t> babble;

    std::vector<Bytes> writes() const;
    std::vector<std::uint8_t> commandsWritten() const;
    std::vector<std::uint32_t> speedsSet() const;
    // The speed the host side runs at now: 115200 once configured raw, then as set.
    std::uint32_t hostSpeed() const;
    int discards() const;
    int reads() const;

    std::uint64_t fileNumber(const std::string& path) override;
    int open(const std::string& path) override;
    bool claimExclusive(int fd) override;
    bool clearStatusFlags(int fd) override;
    bool configureRaw(int fd) override;
    bool setSpeed(int fd, std::uint32_t speed) override;
    void discardInput(int fd) override;
    ssize_t read(int fd, std::uint8_t* buffer, std::size_t size) override;
    ssize_t readWithin(int fd, std::uint8_t* buffer, std::size_t size, int milliseconds) override;
    ssize_t write(int fd, const std::uint8_t* data, std::size_t size) override;
    void close(int fd) override;

  private:
    mutable std::mutex mutex_;
    Responder responder_;
    Bytes pendingInput_;
    Bytes laterInput_;
    int laterMs_ = 0;
    Bytes partialRequest_;
    std::vector<Bytes> writes_;
    std::vector<std::uint32_t> speeds_;
    std::uint32_t hostSpeed_ = 115200;
    int discards_ = 0;
    int reads_ = 0;
};

// A reply with error 0 and the given payload.
Bytes okReply(const Bytes& payload = {});
Bytes textReply(const std::string& text);

}  // namespace harbrix::test
