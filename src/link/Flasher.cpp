// The page buffer and flash commands, and the update built on them.
#include "link/Flasher.h"

#include <algorithm>

#include "link/Commands.h"
#include "link/FirmwareImage.h"
#include "link/QORUARTDevice.h"
#include "link/Request.h"
#include "platform/Log.h"

namespace harbrix {
namespace {

// Firmware from this major on can read its page buffer back.
constexpr std::uint16_t kFirstReadBackMajor = 30;

std::uint32_t lengthField(std::size_t length) {
    return static_cast<std::uint32_t>(length == 0 ? Flasher::kPageSize : length);
}

bool matches(const std::optional<Bytes>& readBack, std::span<const std::uint8_t> page) {
    return readBack && std::equal(readBack->begin(), readBack->end(), page.begin(), page.end());
}

}  // namespace

// Request: WRITE_PAGE, 0, byte count, 0; payload: the bytes.
bool Flasher::writePage(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kPageSize) return false;
    const auto request =
        buildRequest(Command::WRITE_PAGE, 0, static_cast<std::uint32_t>(bytes.size()), 0,
                     Bytes(bytes.begin(), bytes.end()));
    const auto reply =
        request ? device_.line().execute(Command::WRITE_PAGE, *request) : std::nullopt;
    return reply && reply->error == 0;
}

// Request: READ_PAGE, 0, length (256 for 0), 0.
std::optional<Bytes> Flasher::readPage(std::size_t length) {
    if (length > kPageSize) return std::nullopt;
    const auto request = buildRequest(Command::READ_PAGE, 0, lengthField(length), 0);
    auto reply = request ? device_.line().execute(Command::READ_PAGE, *request) : std::nullopt;
    if (!reply) return std::nullopt;
    return std::move(reply->data);
}

// Request: WRITE_FLASH, 0, 0, offset.
bool Flasher::commitPageToFlashOffset(std::uint32_t offset) {
    const auto request = buildRequest(Command::WRITE_FLASH, 0, 0, offset);
    const auto reply =
        request ? device_.line().execute(Command::WRITE_FLASH, *request) : std::nullopt;
    return reply && reply->error == 0;
}

// Request: READ_FLASH, 0, length (256 for 0), offset.
std::optional<Bytes> Flasher::readFlashAtOffset(std::uint32_t offset, std::size_t length) {
    if (length > kPageSize) return std::nullopt;
    const auto request = buildRequest(Command::READ_FLASH, 0, lengthField(length), offset);
    auto reply = request ? device_.line().execute(Command::READ_FLASH, *request) : std::nullopt;
    if (!reply) return std::nullopt;
    return std::move(reply->data);
}

bool Flasher::flashPage(std::span<const std::uint8_t> page, std::uint32_t offset, bool readBack) {
    if (!writePage(page)) return false;
    if (readBack && !matches(readPage(page.size()), page)) return false;
    if (!commitPageToFlashOffset(offset)) return false;
    return matches(readFlashAtOffset(offset, page.size()), page);
}

// A half-written flash: the pedal falls back to its loader and restarts.
void Flasher::abandonUpdate() {
    device_.control().recover();
    device_.control().reboot();
    device_.line().setLog(false);
}

bool Flasher::updateFirmware(const Bytes& image, Progress progress) {
    return flashFirmware(image, std::move(progress), {}) == Outcome::written;
}

Flasher::Outcome Flasher::flashFirmware(const Bytes& image, Progress progress,
                                        const StopHook& stopRequested) {
    const FlashableImage flashable = flashableImage(image);
    if (flashable.refusal != ImageRefusal::none) return Outcome::refused;
    const Bytes& bytes = flashable.bytes;
    const auto stopping = [&stopRequested] { return stopRequested && stopRequested(); };
    if (stopping()) return Outcome::cancelled;

    // One callback shared by every report instead of a copy per page.
    const auto callback = progress ? std::make_shared<Progress>(std::move(progress)) : nullptr;
    const auto report = [&callback](double percent) {
        if (callback) rail(Rails::main(), [callback, percent] { (*callback)(percent); });
    };
    report(0);
    // Thousands of page exchanges would flood the log.
    device_.line().setLog(false);
    if (!device_.control().suspend()) {
        device_.line().setLog(false);
        return Outcome::notSuspended;
    }
    const auto model = device_.model();
    const bool readBack = model && model->version().major >= kFirstReadBackMajor;
    const std::span<const std::uint8_t> whole(bytes);
    for (std::size_t offset = 0; offset < bytes.size(); offset += kPageSize) {
        if (stopping()) {
            logFormat("updateFirmware :: stopped before the page at offset %zu", offset);
            abandonUpdate();
            return Outcome::stopped;
        }
        report(static_cast<double>(offset) / static_cast<double>(bytes.size()) * 100.0);
        const auto page = whole.subspan(offset, std::min(kPageSize, bytes.size() - offset));
        if (!flashPage(page, static_cast<std::uint32_t>(offset), readBack)) {
            logFormat("updateFirmware :: page at offset %zu failed", offset);
            abandonUpdate();
            return Outcome::failed;
        }
    }
    report(100);
    device_.control().reboot();
    device_.line().setLog(false);
    return Outcome::written;
}

}  // namespace harbrix
