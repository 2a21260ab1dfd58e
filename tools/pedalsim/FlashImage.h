// The pedal's 4 MiB flash chip. It lives in memory and, when the pedal keeps its state in a
// file, also in a binary file beside it that every committed page is written through to,
// so a full flash stays as fast as the pages themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Bytes.h"

namespace harbrix::pedalsim {

class FlashImage {
  public:
    static constexpr std::size_t kSize = 4 * 1024 * 1024;
    static constexpr std::uint8_t kErased = 0xFF;

    FlashImage() = default;
    ~FlashImage();
    FlashImage(const FlashImage&) = delete;
    FlashImage& operator=(const FlashImage&) = delete;

    // From now on the image is kept in this file: an existing file is loaded (it must be
    // exactly kSize bytes); a missing one is created at the first write. False with error set.
    bool persistTo(const std::string& path, std::string& error);

    // None when the range leaves the chip.
    std::optional<Bytes> read(std::uint32_t offset, std::size_t length) const;
    // False, with nothing changed, when the range leaves the chip or the file cannot be written.
    bool write(std::uint32_t offset, const Bytes& bytes);

  private:
    static bool fits(std::uint32_t offset, std::size_t length);
    // The erased chip is only allocated once something reads or writes it.
    Bytes& bytes() const;
    bool openFile();

    mutable Bytes bytes_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace harbrix::pedalsim
