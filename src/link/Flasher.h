// Firmware flashing: the pedal's page buffer and flash commands, and the update that streams
// an image through them one page at a time, so memory stays flat whatever the image size.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "platform/Bytes.h"

namespace harbrix {

class QORUARTDevice;

class Flasher {
  public:
    explicit Flasher(QORUARTDevice& device) : device_(device) {}
    Flasher(const Flasher&) = delete;
    Flasher& operator=(const Flasher&) = delete;

    static constexpr std::size_t kPageSize = 256;
    // The pedal's page buffer: 1..256 bytes in; a read length of 0 means a whole page.
    bool writePage(std::span<const std::uint8_t> bytes);
    std::optional<Bytes> readPage(std::size_t length = 0);
    // Flash at an offset: the buffer committed there, or read back (length 0: a whole page).
    bool commitPageToFlashOffset(std::uint32_t offset);
    std::optional<Bytes> readFlashAtOffset(std::uint32_t offset, std::size_t length = 0);
    // Flashes a raw or LDR image page by page, each one read back, and reboots the pedal.
    // Progress (0..100) arrives on the main rail in order: 0, once per page, 100 on success.
    // Once the pedal is suspended it is left restarting whatever happens (rebooted, or told
    // to recover and reboot) and has to be brought up again. An image the pedal cannot take
    // (see flashableImage) is refused before anything is sent.
    using Progress = std::function<void(double percent)>;
    bool updateFirmware(const Bytes& image, Progress progress = {});
    // How a flash ended.
    enum class Outcome {
        written,       // every page written and read back; the pedal is restarting
        refused,       // the image was refused; nothing was sent
        notSuspended,  // the pedal did not suspend; nothing more was sent
        failed,        // a page failed; the pedal was told to recover and reboot
        stopped,       // stopped between pages; the pedal was told to recover and reboot
        cancelled,     // stopped before the pedal was suspended; nothing was sent
        gone,          // the pedal went before the update could start; nothing was sent
    };
    // The update above, asking `stopRequested` (when given) before the suspend and before
    // each page: a page under way always finishes first, then the pedal is told to recover.
    using StopHook = std::function<bool()>;
    Outcome flashFirmware(const Bytes& image, Progress progress, const StopHook& stopRequested);

  private:
    bool flashPage(std::span<const std::uint8_t> page, std::uint32_t offset, bool readBack);
    void abandonUpdate();

    QORUARTDevice& device_;
};

}  // namespace harbrix
